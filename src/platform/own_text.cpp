#include "platform/own_text.h"

namespace tallowick {
namespace {

struct Installed {
  std::string language = "ru";
  Translation translation;
};

Installed& installed() {
  static Installed one;
  return one;
}

}  // namespace

std::string withArgs(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (c == '%' && next >= '1' && next <= '9' &&
               static_cast<std::size_t>(next - '1') < args.size()) {
      out += *(args.begin() + (next - '1'));
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

void installTranslation(std::string language, Translation translation) {
  installed() = {std::move(language), std::move(translation)};
}

const std::string& textLanguage() {
  return installed().language;
}

}  // namespace tallowick

std::string Text::tr(std::string_view source) {
  const tallowick::Translation& translation = tallowick::installed().translation;
  return translation ? translation(source) : std::string(source);
}
