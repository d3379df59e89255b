#include "gui/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace tallowick::gui {

QString installQtTranslation() {
  const QString file = QStringLiteral("qtbase_ru.qm");
  const QStringList places = {QStringLiteral(":/translations"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
  for (const QString& place : places) {
    // Owned by the application, so that it lives as long as the texts it translates.
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString path = QDir(place).filePath(file);
    if (translator->load(path)) {
      QCoreApplication::installTranslator(translator);
      return path;
    }
    delete translator;
  }
  return {};
}

}  // namespace tallowick::gui
