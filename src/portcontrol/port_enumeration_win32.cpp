// Port enumeration over the Windows device class "Ports": the present devices of the
// class, each one's port name read from its hardware registry key. Only names beginning
// with "com" are handed out, which skips the parallel ports of the same class. When the
// class holds no COM port at all, the ports of the serial device map
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM) are handed out instead: Wine and some virtual port
// drivers register their ports only there.
#include <windows.h>
// After windows.h, which they need.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <array>
#include <vector>

#include "portcontrol/port_enumeration.h"

namespace tallowick {
namespace {

using OpenDevNodeKey = CONFIGRET(WINAPI*)(DEVINST, REGSAM, ULONG, REGDISPOSITION, PHKEY, ULONG);

constexpr std::size_t kClassCapacity = 20;
constexpr DWORD kNameBuffer = 200;

struct EnumerationState {
  bool enumerating = false;
  std::array<GUID, kClassCapacity> classes{};
  HDEVINFO devices = INVALID_HANDLE_VALUE;
  DWORD index = 0;
  SP_DEVINFO_DATA device{};
  OpenDevNodeKey openDevNodeKey = nullptr;
  // Whether the class gave a COM port in this enumeration; the device map's ports once it
  // turned out to have none, and the next of them to hand out.
  bool handedOut = false;
  bool fromDeviceMap = false;
  std::vector<std::string> mapped;
  std::size_t nextMapped = 0;
};

EnumerationState& state() {
  static EnumerationState s;
  return s;
}

void releaseDevices(EnumerationState& s) {
  if (s.devices != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(s.devices);
  s.devices = INVALID_HANDLE_VALUE;
}

bool startsWithCom(const char* name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return lower(name[0]) == 'c' && lower(name[1]) == 'o' && lower(name[2]) == 'm';
}

// The COM port names of the serial device map, in the order of its values.
std::vector<std::string> deviceMapPorts() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD i = 0;; ++i) {
    char valueName[256];
    DWORD valueNameSize = sizeof valueName;
    char data[kNameBuffer + 1] = {};
    DWORD type = 0;
    DWORD size = kNameBuffer;
    const LONG read = RegEnumValueA(key, i, valueName, &valueNameSize, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data), &size);
    if (read == ERROR_NO_MORE_ITEMS) break;
    if (read == ERROR_SUCCESS && type == REG_SZ && startsWithCom(data)) names.emplace_back(data);
  }
  RegCloseKey(key);
  return names;
}

std::string nextMappedPort(EnumerationState& s) {
  if (s.nextMapped >= s.mapped.size()) return "";
  return s.mapped[s.nextMapped++];
}

void resetDeviceMap(EnumerationState& s) {
  s.handedOut = false;
  s.fromDeviceMap = false;
  s.mapped.clear();
  s.nextMapped = 0;
}

}  // namespace

bool LoadConfigManager() {
  EnumerationState& s = state();
  if (s.openDevNodeKey) return true;
  HMODULE module = LoadLibraryA("cfgmgr32");
  if (!module) return false;
  // The module stays loaded for the program's life: the address is kept.
  s.openDevNodeKey = reinterpret_cast<OpenDevNodeKey>(
      reinterpret_cast<void*>(GetProcAddress(module, "CM_Open_DevNode_Key")));
  return s.openDevNodeKey != nullptr;
}

std::int32_t BeginEnumeratePorts() {
  EnumerationState& s = state();
  if (s.enumerating) return kEnumerationRefused;
  s.index = 0;
  resetDeviceMap(s);
  // Without the configuration manager no port could be named.
  if (!LoadConfigManager()) return kEnumerationRefused;

  DWORD count = 0;
  // The size is counted in identifiers: the list has room for exactly this many.
  if (!SetupDiClassGuidsFromNameA("Ports", s.classes.data(), kClassCapacity, &count)) {
    // A list too small for all classes of that name still holds the first ones.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) count = 0;
  }
  if (count > kClassCapacity) count = kClassCapacity;

  releaseDevices(s);
  for (DWORD i = 0; i < count; ++i) {
    HDEVINFO set = SetupDiGetClassDevsA(&s.classes[i], nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) continue;
    // The last set obtained is the one used; the ones it replaces are released.
    releaseDevices(s);
    s.devices = set;
  }
  s.enumerating = s.devices != INVALID_HANDLE_VALUE;
  return s.enumerating ? 0 : kEnumerationRefused;
}

std::string EnumeratePorts() {
  EnumerationState& s = state();
  if (s.fromDeviceMap) return nextMappedPort(s);
  if (s.devices == INVALID_HANDLE_VALUE) return "";
  for (;;) {
    // The record's own size, which differs between 32- and 64-bit builds.
    s.device = SP_DEVINFO_DATA{};
    s.device.cbSize = sizeof(SP_DEVINFO_DATA);
    if (!SetupDiEnumDeviceInfo(s.devices, s.index, &s.device)) {
      releaseDevices(s);
      if (s.handedOut || !s.enumerating) return "";
      s.fromDeviceMap = true;
      s.mapped = deviceMapPorts();
      return nextMappedPort(s);
    }
    HKEY key = nullptr;
    if (!s.openDevNodeKey ||
        s.openDevNodeKey(s.device.DevInst, KEY_QUERY_VALUE, 0, RegDisposition_OpenExisting, &key,
                         CM_REGISTRY_HARDWARE) != CR_SUCCESS) {
      return "0";
    }
    // One byte more than the value may fill, so the name always ends in a NUL.
    char name[kNameBuffer + 1] = {};
    DWORD type = 0;
    DWORD size = kNameBuffer;
    const LONG read =
        RegQueryValueExA(key, "portname", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ) return "0";
    ++s.index;
    if (startsWithCom(name)) {
      s.handedOut = true;
      return name;
    }
  }
}

std::int32_t EndEnumeratePorts() {
  EnumerationState& s = state();
  s.enumerating = false;
  s.index = 0;
  releaseDevices(s);
  resetDeviceMap(s);
  return 0;
}

// COM names are stable already; Windows has nothing like the Linux links.
std::vector<StablePortName> stablePortNames(const std::string&) {
  return {};
}

}  // namespace tallowick
