// The serial ports present on this computer, for the main window's port selector: one
// enumeration at a time, walked with begin / next / end. On Windows these are the COM
// ports of the device class "Ports"; on Linux the /dev paths of the tty devices that have
// real hardware behind them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tallowick {

// The refusal of BeginEnumeratePorts: an enumeration is already running, or the
// computer's list of ports could not be had.
inline constexpr std::int32_t kEnumerationRefused = -27;

// The port name of the built-in virtual printer.
inline constexpr const char* kSimulatedPortName = "sim";

// 0, or kEnumerationRefused. A refused begin leaves nothing to enumerate.
std::int32_t BeginEnumeratePorts();
// The next port name; an empty text when there are no more; "0" when the current device's
// name cannot be read (callers take it as the end of the list).
std::string EnumeratePorts();
// Ends the enumeration and releases what it held; always 0.
std::int32_t EndEnumeratePorts();

// Makes the configuration-manager function that the Windows enumeration needs available
// (CM_Open_DevNode_Key, looked up in "cfgmgr32"); the port object's constructor calls it,
// and BeginEnumeratePorts does when nobody has. True when it is there; elsewhere always.
bool LoadConfigManager();

// The items of the port selector ComboBox1 as the main window fills it when it is shown:
// the enumeration's names up to the first empty or "0" result, in the order they came.
// With `withSimulatedPort` (the tool started with --simulate) the built-in virtual
// printer's "sim" comes first, so that it is the one selected.
std::vector<std::string> portSelectorItems(bool withSimulatedPort);

// A name of a port that stays the same whichever order the devices came up in (on Linux
// the links under /dev/serial/by-id, named after the adapter), and the device it points to.
struct StablePortName {
  std::string path;
  std::string device;
  bool operator==(const StablePortName&) const = default;
};

// The stable names in `directory`, sorted; none where the platform has no such names or
// the directory does not exist (no USB serial adapter is plugged in).
std::vector<StablePortName> stablePortNames(const std::string& directory = "/dev/serial/by-id");

}  // namespace tallowick
