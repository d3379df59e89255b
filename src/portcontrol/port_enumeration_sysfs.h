// The Linux side of the port enumeration: the tty devices under sysfs that are real serial
// ports. Separate so that tests can point it at a tree of their own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallowick {

// The serial ports of `sysRoot`/class/tty as /dev paths, in natural order: every entry
// with a device behind it (virtual consoles and pseudo-terminals have none), except
// UART ports whose type says that no UART answered at that place. Nothing when the class
// directory cannot be read.
std::optional<std::vector<std::string>> sysfsSerialPorts(const std::filesystem::path& sysRoot);

// Digits compared as numbers, the rest as bytes: ttyS2 before ttyS10.
bool naturalLess(std::string_view a, std::string_view b);

// Where BeginEnumeratePorts looks for sysfs ("/sys" unless a test says otherwise).
void setSysfsRoot(std::filesystem::path root);

}  // namespace tallowick
