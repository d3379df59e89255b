#include "sim/paper.h"

#include <cstdio>

namespace tallowick::sim::paper {
namespace {

using namespace std::chrono;

std::string twoDigits(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02u", v % 100);
  return buf;
}

struct Civil {
  year_month_day date;
  hh_mm_ss<seconds> time;
};

Civil civil(sys_seconds t) {
  const auto day = floor<days>(t);
  return {year_month_day{day}, hh_mm_ss<seconds>{t - day}};
}

std::optional<unsigned> twoDigitsAt(std::string_view s, std::size_t at) {
  const char a = s[at];
  const char b = s[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
  return static_cast<unsigned>((a - '0') * 10 + (b - '0'));
}

}  // namespace

std::size_t length(std::string_view utf8) {
  std::size_t n = 0;
  for (char c : utf8)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string money(std::int64_t kopecks) {
  const bool negative = kopecks < 0;
  const std::uint64_t v =
      negative ? 0 - static_cast<std::uint64_t>(kopecks) : static_cast<std::uint64_t>(kopecks);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%llu.%02llu", negative ? "-" : "",
                static_cast<unsigned long long>(v / 100), static_cast<unsigned long long>(v % 100));
  return buf;
}

std::string quantity(std::int64_t thousandths) {
  const bool negative = thousandths < 0;
  const std::uint64_t v = negative ? 0 - static_cast<std::uint64_t>(thousandths)
                                   : static_cast<std::uint64_t>(thousandths);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%llu.%03llu", negative ? "-" : "",
                static_cast<unsigned long long>(v / 1000),
                static_cast<unsigned long long>(v % 1000));
  return buf;
}

std::string centred(std::string_view text) {
  const std::size_t n = length(text);
  if (n >= kWidth) return std::string(text);
  return std::string((kWidth - n) / 2, ' ') + std::string(text);
}

std::string spread(std::string_view left, std::string_view right) {
  const std::size_t used = length(left) + length(right);
  const std::size_t gap = used < kWidth ? kWidth - used : 1;
  return std::string(left) + std::string(gap, ' ') + std::string(right);
}

std::string rule() {
  return std::string(kWidth, '-');
}

std::string dateTime(sys_seconds t) {
  const Civil c = civil(t);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02u.%02u.%04d %02ld:%02ld:%02lld",
                static_cast<unsigned>(c.date.day()), static_cast<unsigned>(c.date.month()),
                static_cast<int>(c.date.year()), static_cast<long>(c.time.hours().count()),
                static_cast<long>(c.time.minutes().count()),
                static_cast<long long>(c.time.seconds().count()));
  return buf;
}

std::string wireDate(sys_seconds t) {
  const Civil c = civil(t);
  return twoDigits(static_cast<unsigned>(c.date.day())) +
         twoDigits(static_cast<unsigned>(c.date.month())) +
         twoDigits(static_cast<unsigned>(static_cast<int>(c.date.year()) % 100));
}

std::string wireTime(sys_seconds t) {
  const Civil c = civil(t);
  return twoDigits(static_cast<unsigned>(c.time.hours().count())) +
         twoDigits(static_cast<unsigned>(c.time.minutes().count())) +
         twoDigits(static_cast<unsigned>(c.time.seconds().count()));
}

std::optional<sys_seconds> parseWireDateTime(std::string_view date, std::string_view time) {
  if (date.size() != 6 || time.size() != 4) return std::nullopt;
  const auto d = twoDigitsAt(date, 0);
  const auto m = twoDigitsAt(date, 2);
  const auto y = twoDigitsAt(date, 4);
  const auto hh = twoDigitsAt(time, 0);
  const auto mm = twoDigitsAt(time, 2);
  if (!d || !m || !y || !hh || !mm || *hh > 23 || *mm > 59) return std::nullopt;
  const year_month_day ymd{year{2000 + static_cast<int>(*y)}, month{*m}, day{*d}};
  if (!ymd.ok()) return std::nullopt;
  return sys_days{ymd} + hours{*hh} + minutes{*mm};
}

std::optional<std::string> modules(std::string_view hexLine) {
  std::string out;
  for (char c : hexLine) {
    int nibble = -1;
    if (c >= '0' && c <= '9') nibble = c - '0';
    if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
    if (nibble < 0) return std::nullopt;
    for (int bit = 3; bit >= 0; --bit)
      out += (nibble >> bit) & 1 ? "█" : " ";
  }
  return out;
}

}  // namespace tallowick::sim::paper
