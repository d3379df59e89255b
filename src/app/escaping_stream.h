// Text for a terminal: control characters, which a terminal would act on (move the
// cursor, clear the screen, change the title), are written as visible escapes instead.
// Printer data and port names reach the screen this way; files keep every byte.
#pragma once

#include <streambuf>
#include <string>

namespace tallowick {

// Writes through to `out`, with every control character except line feed and tab shown
// as \xHH (C0 and DEL) or \u00HH (C1, as UTF-8 carries it).
class EscapingBuffer final : public std::streambuf {
 public:
  explicit EscapingBuffer(std::streambuf* out) : out_(out) {}
  ~EscapingBuffer() override;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool put(const std::string& text);

  std::streambuf* out_;
  bool leadHeld_ = false;  // a C2h that may begin a C1 character
};

// The text as EscapingBuffer writes it.
std::string escapeControls(const std::string& text);

}  // namespace tallowick
