// The language of the windows: Russian, the language their texts are written in, or one of
// the translations built into the program. Qt's own texts (standard buttons, file dialogs,
// the text fields' context menus) follow it.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace tallowick {
class Settings;
}

namespace tallowick::gui {

class DialogService;

// A language the windows speak: its key (the setting's value and --language's) and its name
// in itself, as the language box lists it whatever the windows speak.
struct WindowLanguage {
  std::string_view key;
  std::string_view name;
};
inline constexpr WindowLanguage kWindowLanguages[] = {
    {"ru", "Русский"}, {"uk", "Українська"}, {"ro", "Română"}};

bool isWindowLanguage(std::string_view key);

// The name of a language in the windows' language ("украинский"), for what says which
// language a text was written in; the key itself for a language the program does not know.
QString languageName(std::string_view key);

// Makes the windows and the runs they start speak `key` (a key of kWindowLanguages), in
// place of the language installed before. Where Qt's texts were loaded from, or an empty text
// when Qt has none in that language (Qt then speaks English).
QString installLanguage(std::string_view key);

// The language to start in: the one asked for on the command line, else the computer's
// setting, else, on a computer whose own language is one of the translations, that one if
// the user takes it when asked (the question in that language; the answer is kept), else
// Russian.
std::string startLanguage(const std::optional<std::string>& asked, Settings* settings,
                          DialogService& dialogs, const QString& systemLocale);

}  // namespace tallowick::gui
