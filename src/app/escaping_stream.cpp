#include "app/escaping_stream.h"

#include <cstdio>
#include <ostream>
#include <sstream>

namespace tallowick {
namespace {

constexpr unsigned char kC1Lead = 0xC2;

std::string hexEscape(const char* format, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

EscapingBuffer::~EscapingBuffer() {
  if (leadHeld_) out_->sputc(static_cast<char>(kC1Lead));
  out_->pubsync();
}

bool EscapingBuffer::put(const std::string& text) {
  return out_->sputn(text.data(), static_cast<std::streamsize>(text.size())) ==
         static_cast<std::streamsize>(text.size());
}

EscapingBuffer::int_type EscapingBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const auto byte = static_cast<unsigned char>(traits_type::to_char_type(c));
  std::string text;
  if (leadHeld_) {
    leadHeld_ = false;
    if (byte >= 0x80 && byte <= 0x9F) {
      return put(hexEscape("\\u%04X", byte)) ? c : traits_type::eof();
    }
    text += static_cast<char>(kC1Lead);
  }
  if (byte == kC1Lead) {
    leadHeld_ = true;
  } else if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F) {
    text += hexEscape("\\x%02X", byte);
  } else {
    text += static_cast<char>(byte);
  }
  return put(text) ? c : traits_type::eof();
}

int EscapingBuffer::sync() {
  return out_->pubsync();
}

std::string escapeControls(const std::string& text) {
  std::ostringstream out;
  {
    EscapingBuffer escaping(out.rdbuf());
    std::ostream(&escaping) << text;
  }
  return out.str();
}

}  // namespace tallowick
