#include "gui/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <algorithm>
#include <vector>

#include "gui/dialog_service.h"
#include "gui/widgets.h"
#include "platform/own_text.h"
#include "platform/settings.h"

namespace tallowick::gui {
namespace {

// The translators of the language installed last, so that the next language replaces them.
std::vector<QTranslator*>& installedTranslators() {
  static std::vector<QTranslator*> translators;
  return translators;
}

// Loads `file` from the copies built into the program, else from `fallback`; owned by the
// application, so that it lives as long as the texts it translates.
QString load(const QString& file, const QString& fallback = {}) {
  QStringList places = {QStringLiteral(":/translations")};
  if (!fallback.isEmpty()) places << fallback;
  for (const QString& place : places) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString path = QDir(place).filePath(file);
    if (translator->load(path)) {
      QCoreApplication::installTranslator(translator);
      installedTranslators().push_back(translator);
      return path;
    }
    delete translator;
  }
  return {};
}

// What the question of the first start asks in each language.
constexpr const char* offerText(std::string_view key) {
  return key == "uk" ? Text::own("Показывать окна программы на украинском языке?")
                     : Text::own("Показывать окна программы на румынском языке?");
}

}  // namespace

bool isWindowLanguage(std::string_view key) {
  return std::any_of(std::begin(kWindowLanguages), std::end(kWindowLanguages),
                     [key](const WindowLanguage& l) { return l.key == key; });
}

QString languageName(std::string_view key) {
  if (key == "ru") return shown(Text::own("русский"));
  if (key == "uk") return shown(Text::own("украинский"));
  if (key == "ro") return shown(Text::own("румынский"));
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

QString installLanguage(std::string_view key) {
  for (QTranslator* translator : installedTranslators()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  installedTranslators().clear();
  const QString lang = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  if (key == "ru") {
    installTranslation("ru", nullptr);
  } else {
    load("tallowick_" + lang + ".qm");
    // Any thread of a run asks: QCoreApplication::translate may be called from any thread.
    installTranslation(std::string(key), [](std::string_view source) {
      const std::string text(source);
      return QCoreApplication::translate("Text", text.c_str()).toStdString();
    });
  }
  // Qt's own texts: Qt's translation, else ours where Qt has none.
  const QString qt =
      load("qtbase_" + lang + ".qm", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  return qt.isEmpty() ? load("qt_" + lang + ".qm") : qt;
}

std::string startLanguage(const std::optional<std::string>& asked, Settings* settings,
                          DialogService& dialogs, const QString& systemLocale) {
  if (asked) return *asked;
  if (settings) {
    const auto kept = settings->get(setting::kLanguage);
    if (kept && kept.value()) return isWindowLanguage(*kept.value()) ? *kept.value() : "ru";
  }
  const std::string own = systemLocale.left(2).toStdString();
  if (own == "ru" || !isWindowLanguage(own)) return "ru";
  installLanguage(own);
  const bool taken = dialogs.question(nullptr, qs(Text::tr(offerText(own))));
  const std::string chosen = taken ? own : "ru";
  // Asked once: the answer is the setting from now on; one that cannot be kept is asked again.
  if (settings) (void)settings->set(setting::kLanguage, chosen);
  return chosen;
}

}  // namespace tallowick::gui
