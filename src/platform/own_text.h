// The program's own texts: written in Russian where they are made, and shown in the language
// the windows speak. Russian needs no translation; another language is installed by the
// windows at their start. The command line installs none, so what it prints and logs stays
// Russian whatever the windows speak; so do the bytes sent to a printer, which never pass
// through here.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// Outside the program's namespace, so that every place names it alike and the translations
// keep all the program's texts under one name, "Text".
struct Text {
  // Marks `source` as a text of the program's own, for the translations; it stays as
  // written and is translated where it is shown (with `tr`, as a whole line).
  static constexpr const char* own(const char* source) { return source; }
  // `source` in the installed language; `source` itself when none is installed or the
  // translation has no such text (a printer's name, a number, a reply's text).
  static std::string tr(std::string_view source);
};

namespace tallowick {

// `pattern` with %1 to %9 replaced by `args` in their order, as a translation may reorder
// them; "%%" is one "%"; a % followed by anything else stays as it is.
std::string withArgs(std::string_view pattern, std::initializer_list<std::string_view> args);

// The translation of the program's texts into `language` ("uk", "ro"); installed once, before
// any run starts, and read from any thread afterwards. An empty translation means Russian.
using Translation = std::function<std::string(std::string_view source)>;
void installTranslation(std::string language, Translation translation);

// The language the program's texts are shown and logged in: "ru" unless another was installed.
const std::string& textLanguage();

}  // namespace tallowick
