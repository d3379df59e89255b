// The data field of a request as the printer reads it: fields each closed by ';', the
// first being the password, read as the numbers and texts each command takes. A field
// that is not what it should be marks the whole request as bad, so that a handler reads
// all its fields first and checks once.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallowick::sim {

// Decimal integer: optional '-' and digits.
std::optional<std::int64_t> parseInteger(std::string_view text);
// Hexadecimal: one to eight digits, either case.
std::optional<std::int64_t> parseHex(std::string_view text);
// A decimal number with at most `decimals` decimals (full stop), as an integer count of
// its smallest unit: parseFixed("1.5", 3) is 1500, parseFixed("-10", 2) is -1000.
std::optional<std::int64_t> parseFixed(std::string_view text, int decimals);

class RequestFields {
 public:
  // `data` in Windows-1251; the texts are kept in UTF-8. A data field that does not end
  // in ';' is bad.
  explicit RequestFields(std::span<const std::uint8_t> data);

  // Fields after the password.
  std::size_t count() const { return fields_.empty() ? 0 : fields_.size() - 1; }
  const std::string& password() const;

  // Argument i (1 = the first after the password); a missing or malformed one reads as
  // 0 or empty and marks the request bad.
  std::string text(std::size_t i);
  std::int64_t integer(std::size_t i);
  std::int64_t integer(std::size_t i, std::int64_t min, std::int64_t max);
  std::int64_t hex(std::size_t i, std::int64_t max);
  std::int64_t money(std::size_t i) { return fixed(i, 2); }
  std::int64_t quantity(std::size_t i) { return fixed(i, 3); }

  void markBad() { bad_ = true; }
  bool bad() const { return bad_; }

 private:
  std::int64_t fixed(std::size_t i, int decimals);
  const std::string* at(std::size_t i);

  std::vector<std::string> fields_;
  bool bad_ = false;
};

}  // namespace tallowick::sim
