#include "sim/request_fields.h"

#include <charconv>
#include <limits>

#include "link/cp1251.h"

namespace tallowick::sim {

std::optional<std::int64_t> parseInteger(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> parseHex(std::string_view text) {
  if (text.empty() || text.size() > 8 || text.front() == '-' || text.front() == '+') {
    return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> parseFixed(std::string_view text, int decimals) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const auto dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
  if (whole.empty() || fraction.size() > static_cast<std::size_t>(decimals)) return std::nullopt;
  if (dot != std::string_view::npos && fraction.empty()) return std::nullopt;
  if (whole.size() > 15) return std::nullopt;
  std::int64_t value = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  for (int d = 0; d < decimals; ++d) {
    const char c = static_cast<std::size_t>(d) < fraction.size() ? fraction[d] : '0';
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

RequestFields::RequestFields(std::span<const std::uint8_t> data) {
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (!text.ends_with(';')) {
    bad_ = true;
    return;
  }
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t semicolon = text.find(';', from);
    fields_.push_back(cp1251::decode(text.substr(from, semicolon - from)));
    from = semicolon + 1;
  }
}

const std::string& RequestFields::password() const {
  static const std::string kNone;
  return fields_.empty() ? kNone : fields_.front();
}

const std::string* RequestFields::at(std::size_t i) {
  if (i == 0 || i >= fields_.size()) {
    bad_ = true;
    return nullptr;
  }
  return &fields_[i];
}

std::string RequestFields::text(std::size_t i) {
  const std::string* f = at(i);
  return f ? *f : std::string();
}

std::int64_t RequestFields::integer(std::size_t i) {
  return integer(i, std::numeric_limits<std::int64_t>::min(),
                 std::numeric_limits<std::int64_t>::max());
}

std::int64_t RequestFields::integer(std::size_t i, std::int64_t min, std::int64_t max) {
  const std::string* f = at(i);
  const auto value = f ? parseInteger(*f) : std::nullopt;
  if (!value || *value < min || *value > max) {
    bad_ = true;
    return 0;
  }
  return *value;
}

std::int64_t RequestFields::hex(std::size_t i, std::int64_t max) {
  const std::string* f = at(i);
  const auto value = f ? parseHex(*f) : std::nullopt;
  if (!value || *value > max) {
    bad_ = true;
    return 0;
  }
  return *value;
}

std::int64_t RequestFields::fixed(std::size_t i, int decimals) {
  const std::string* f = at(i);
  const auto value = f ? parseFixed(*f, decimals) : std::nullopt;
  if (!value) {
    bad_ = true;
    return 0;
  }
  return *value;
}

}  // namespace tallowick::sim
