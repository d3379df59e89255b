// Port enumeration from sysfs. The list is taken at the begin, as the Windows device set
// is, and handed out one name per call.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "portcontrol/port_enumeration.h"
#include "portcontrol/port_enumeration_sysfs.h"

namespace tallowick {
namespace fs = std::filesystem;
namespace {

struct EnumerationState {
  bool enumerating = false;
  bool held = false;  // a list was taken and not yet handed out to its end
  std::vector<std::string> ports;
  std::size_t index = 0;
  fs::path sysRoot = "/sys";
};

EnumerationState& state() {
  static EnumerationState s;
  return s;
}

// The first line of a sysfs attribute; nothing when it cannot be read.
std::optional<std::string> attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
    line.pop_back();
  return line;
}

// Accepts decimal and 0x-prefixed numbers, as sysfs writes them; nothing for other text.
std::optional<unsigned long> number(const std::optional<std::string>& text) {
  if (!text || text->empty()) return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text->c_str(), &end, 0);
  if (end == text->c_str() || *end != '\0') return std::nullopt;
  return value;
}

bool present(const fs::path& p) {
  std::error_code ec;
  return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

bool isSerialPort(const fs::path& tty) {
  // Virtual consoles, pseudo-terminals, /dev/tty and /dev/console have no device.
  if (!present(tty / "device")) return false;
  // serial_core ports carry the UART type; 0 (unknown) is a port the driver set up at a
  // place where no UART answered, as the 8250 driver does for ttyS0..ttyS31.
  if (const auto type = number(attribute(tty / "type"))) return *type != 0;
  if (present(tty / "type")) return false;  // there but unreadable: do not offer it
  return true;
}

}  // namespace

bool naturalLess(std::string_view a, std::string_view b) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i;
      std::size_t ej = j;
      while (ei < a.size() && digit(a[ei]))
        ++ei;
      while (ej < b.size() && digit(b[ej]))
        ++ej;
      // Leading zeros do not make a number bigger.
      std::size_t si = i;
      std::size_t sj = j;
      while (si + 1 < ei && a[si] == '0')
        ++si;
      while (sj + 1 < ej && b[sj] == '0')
        ++sj;
      const std::string_view na = a.substr(si, ei - si);
      const std::string_view nb = b.substr(sj, ej - sj);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      if (ei - i != ej - j) return ei - i < ej - j;  // "01" after "1", for a total order
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) {
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    }
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

std::optional<std::vector<std::string>> sysfsSerialPorts(const fs::path& sysRoot) {
  std::error_code ec;
  fs::directory_iterator it(sysRoot / "class" / "tty", ec);
  if (ec) return std::nullopt;
  std::vector<std::string> names;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return std::nullopt;
    if (isSerialPort(it->path())) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
  for (auto& name : names)
    name = "/dev/" + name;
  return names;
}

void setSysfsRoot(fs::path root) {
  state().sysRoot = std::move(root);
}

bool LoadConfigManager() {
  return true;
}

std::int32_t BeginEnumeratePorts() {
  EnumerationState& s = state();
  if (s.enumerating) return kEnumerationRefused;
  s.index = 0;
  auto ports = sysfsSerialPorts(s.sysRoot);
  if (!ports) {
    s.enumerating = false;
    s.held = false;
    s.ports.clear();
    return kEnumerationRefused;
  }
  s.ports = std::move(*ports);
  s.held = true;
  s.enumerating = true;
  return 0;
}

std::string EnumeratePorts() {
  EnumerationState& s = state();
  if (!s.held) return "";
  if (s.index >= s.ports.size()) {
    s.held = false;
    s.ports.clear();
    return "";
  }
  return s.ports[s.index++];
}

std::int32_t EndEnumeratePorts() {
  EnumerationState& s = state();
  s.enumerating = false;
  s.index = 0;
  s.held = false;
  s.ports.clear();
  return 0;
}

std::vector<StablePortName> stablePortNames(const std::string& directory) {
  std::vector<StablePortName> names;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path device = fs::canonical(it->path(), ec);
    // A link whose adapter has gone away points nowhere: it cannot be opened.
    if (ec) {
      ec.clear();
      continue;
    }
    names.push_back({it->path().string(), device.string()});
  }
  std::sort(names.begin(), names.end(),
            [](const StablePortName& a, const StablePortName& b) { return a.path < b.path; });
  return names;
}

}  // namespace tallowick
