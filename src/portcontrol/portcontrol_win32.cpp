// The port services on Windows: synchronous file I/O on the COM device and its comm
// functions, the process and thread priority functions, VirtualLock, the system's error texts, and
// the device set-up functions with CM_Open_DevNode_Key from "cfgmgr32" for the hardware
// keys that hold the FIFO settings.
// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows_text.h"
#include "portcontrol/portcontrol_registry_win32.h"
#include "portcontrol/portcontrol_system.h"

namespace tallowick {
namespace {

constexpr SIZE_T kLockedCodeBytes = 2000;
constexpr REGSAM kDeviceKeyAccess = 0x20007;  // read, query value, set value, create subkey
constexpr DWORD kMaxPortsClasses = 20;
constexpr DWORD kPortNameBytes = 200;

using OpenDevNodeKey = CONFIGRET(WINAPI*)(DEVINST, REGSAM, ULONG, REGDISPOSITION, PHKEY, ULONG);

// GetLastError after a failed call; some drivers fail without saying why, and a failure
// must never read as success.
SystemError lastError() {
  const DWORD e = GetLastError();
  return e != 0 ? e : ERROR_GEN_FAILURE;
}

// The two routines a session keeps resident.
BOOL readRoutine(HANDLE h, std::uint8_t* buffer, DWORD count, DWORD* got) {
  return ReadFile(h, buffer, count, got, nullptr);
}
BOOL writeRoutine(HANDLE h, const std::uint8_t* data, DWORD count, DWORD* written) {
  return WriteFile(h, data, count, written, nullptr);
}

LPVOID lockedCode() {
  const auto a = reinterpret_cast<std::uintptr_t>(&readRoutine);
  const auto b = reinterpret_cast<std::uintptr_t>(&writeRoutine);
  return reinterpret_cast<LPVOID>(std::min(a, b));
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
           return lower(x) == lower(y);
         });
}

// "COM" followed by digits only: a name that CreateFileA finds only with the "\\.\"
// prefix once the number has two digits.
bool isBareComName(const std::string& name) {
  return name.size() > 3 && equalNoCase(std::string_view(name).substr(0, 3), "com") &&
         std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class RegistryDeviceKey final : public DeviceKey {
 public:
  explicit RegistryDeviceKey(HKEY key) : key_(key) {}
  ~RegistryDeviceKey() override { RegCloseKey(key_); }
  RegistryDeviceKey(const RegistryDeviceKey&) = delete;
  RegistryDeviceKey& operator=(const RegistryDeviceKey&) = delete;

  std::uint32_t read(std::string_view name, RegistryData& data) override {
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return static_cast<std::uint32_t>(rc);
    data.bytes.assign(size, 0);
    rc = RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, data.bytes.data(), &size);
    if (rc != ERROR_SUCCESS) return static_cast<std::uint32_t>(rc);
    data.bytes.resize(size);
    data.type = type;
    return 0;
  }

  std::uint32_t write(std::string_view name, const RegistryData& data) override {
    const std::string valueName(name);
    return static_cast<std::uint32_t>(RegSetValueExA(key_, valueName.c_str(), 0, data.type,
                                                     data.bytes.data(),
                                                     static_cast<DWORD>(data.bytes.size())));
  }

 private:
  HKEY key_;
};

// The present devices of the class "Ports"; released when done.
class PortsDeviceSet {
 public:
  PortsDeviceSet() {
    GUID classes[kMaxPortsClasses];
    DWORD count = 0;
    if (!SetupDiClassGuidsFromNameA("Ports", classes, kMaxPortsClasses, &count)) return;
    for (DWORD i = 0; i < std::min(count, kMaxPortsClasses); ++i) {
      HDEVINFO set = SetupDiGetClassDevsA(&classes[i], nullptr, nullptr, DIGCF_PRESENT);
      if (set == INVALID_HANDLE_VALUE) continue;
      if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
      set_ = set;
    }
  }
  ~PortsDeviceSet() {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }
  PortsDeviceSet(const PortsDeviceSet&) = delete;
  PortsDeviceSet& operator=(const PortsDeviceSet&) = delete;

  bool next(SP_DEVINFO_DATA& device) {
    if (set_ == INVALID_HANDLE_VALUE) return false;
    device = {};
    device.cbSize = sizeof device;
    return SetupDiEnumDeviceInfo(set_, index_++, &device) != FALSE;
  }

 private:
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
  DWORD index_ = 0;
};

class Win32PortSystem final : public PortSystem {
 public:
  Win32PortSystem() {
    cfgmgr32_ = LoadLibraryA("cfgmgr32");
    if (cfgmgr32_ != nullptr) {
      openDevNodeKey_ = reinterpret_cast<OpenDevNodeKey>(
          reinterpret_cast<void*>(GetProcAddress(cfgmgr32_, "CM_Open_DevNode_Key")));
    }
  }

  ~Win32PortSystem() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (cfgmgr32_ != nullptr) FreeLibrary(cfgmgr32_);
  }
  Win32PortSystem(const Win32PortSystem&) = delete;
  Win32PortSystem& operator=(const Win32PortSystem&) = delete;

  PortPlatform platform() const override {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return PortPlatform::Other;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return PortPlatform::WindowsNT;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return PortPlatform::Windows9x;
    return PortPlatform::Other;
  }

  std::string message(SystemError code) const override { return platform::windowsErrorText(code); }

  SystemError invalidArgument() const override { return ERROR_INVALID_PARAMETER; }

  SystemError open(const std::string& device) override {
    const std::string path = isBareComName(device) ? "\\\\.\\" + device : device;
    const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError();
    handle_ = h;
    return 0;
  }

  bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  SystemError close() override {
    if (!CloseHandle(handle_)) return lastError();
    handle_ = INVALID_HANDLE_VALUE;
    return 0;
  }

  SystemError readSettings() override {
    dcb_.DCBlength = sizeof dcb_;
    return GetCommState(handle_, &dcb_) ? 0 : lastError();
  }

  SystemError writeSettings(const LineSettings& s) override {
    dcb_.BaudRate = static_cast<DWORD>(s.baudRate);
    dcb_.ByteSize = static_cast<BYTE>(s.dataBits);
    dcb_.Parity = static_cast<BYTE>(s.parity);
    dcb_.StopBits = static_cast<BYTE>(s.stopBits);
    dcb_.fDtrControl = static_cast<DWORD>(s.dtrControl) & 3;
    dcb_.fRtsControl = static_cast<DWORD>(s.rtsControl) & 3;
    // Every byte passes as it is: no XON/XOFF, no error character, no null stripping.
    dcb_.fOutX = FALSE;
    dcb_.fInX = FALSE;
    dcb_.fErrorChar = FALSE;
    dcb_.fNull = FALSE;
    return SetCommState(handle_, &dcb_) ? 0 : lastError();
  }

  SystemError setTimeouts(const T1CommTimeouts& t) override {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = static_cast<DWORD>(t.ReadIntervalTimeout);
    timeouts.ReadTotalTimeoutMultiplier = static_cast<DWORD>(t.ReadTotalTimeoutMultiplier);
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(t.ReadTotalTimeoutConstant);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(t.WriteTotalTimeoutMultiplier);
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(t.WriteTotalTimeoutConstant);
    return SetCommTimeouts(handle_, &timeouts) ? 0 : lastError();
  }

  SystemError flush() override { return FlushFileBuffers(handle_) ? 0 : lastError(); }

  SystemError purge(std::uint32_t flags) override {
    return PurgeComm(handle_, flags) ? 0 : lastError();
  }

  SystemError write(const std::uint8_t* data, std::uint32_t count,
                    std::uint32_t& written) override {
    DWORD done = 0;
    const BOOL ok = writeRoutine(handle_, data, count, &done);
    written = done;
    if (!ok) return lastError();
    // A write time-out ends the call successfully with fewer bytes.
    return done == count ? 0 : ERROR_COUNTER_TIMEOUT;
  }

  SystemError transmitChar(std::uint8_t byte) override {
    return TransmitCommChar(handle_, static_cast<char>(byte)) ? 0 : lastError();
  }

  SystemError read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override {
    DWORD done = 0;
    const BOOL ok = readRoutine(handle_, buffer, count, &done);
    got = done;
    return ok ? 0 : lastError();
  }

  SystemError clearCommError(std::uint32_t& errors, TComStat& status) override {
    DWORD mask = 0;
    COMSTAT comStat{};
    if (!ClearCommError(handle_, &mask, &comStat)) return lastError();
    errors = mask;
    std::memcpy(&status.Flags, &comStat, sizeof status.Flags);  // the bit fields' word
    status.cbInQue = comStat.cbInQue;
    status.cbOutQue = comStat.cbOutQue;
    return 0;
  }

  SystemError escape(std::uint32_t function) override {
    return ::EscapeCommFunction(handle_, function) ? 0 : lastError();
  }

  SystemError saveProcessPriority() override {
    const DWORD priorityClass = GetPriorityClass(GetCurrentProcess());
    if (priorityClass == 0) return lastError();
    savedClass_ = priorityClass;
    return 0;
  }

  SystemError saveThreadPriority() override {
    const int priority = GetThreadPriority(GetCurrentThread());
    if (priority == THREAD_PRIORITY_ERROR_RETURN) return lastError();
    savedThread_ = priority;
    return 0;
  }

  SystemError raiseProcessPriority() override {
    return SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS) ? 0 : lastError();
  }

  SystemError raiseThreadPriority() override {
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) ? 0 : lastError();
  }

  SystemError restoreProcessPriority() override {
    return SetPriorityClass(GetCurrentProcess(), savedClass_) ? 0 : lastError();
  }

  SystemError restoreThreadPriority() override {
    return SetThreadPriority(GetCurrentThread(), savedThread_) ? 0 : lastError();
  }

  SystemError lockCode() override {
    return VirtualLock(lockedCode(), kLockedCodeBytes) ? 0 : lastError();
  }

  SystemError unlockCode() override {
    return VirtualUnlock(lockedCode(), kLockedCodeBytes) ? 0 : lastError();
  }

  std::unique_ptr<DeviceKey> deviceKey(std::string_view name) override {
    if (openDevNodeKey_ == nullptr) return nullptr;
    PortsDeviceSet devices;
    SP_DEVINFO_DATA device{};
    while (devices.next(device)) {
      HKEY key = nullptr;
      if (openDevNodeKey_(device.DevInst, kDeviceKeyAccess, 0, RegDisposition_OpenExisting, &key,
                          CM_REGISTRY_HARDWARE) != CR_SUCCESS) {
        return nullptr;
      }
      char portName[kPortNameBytes + 1] = {};
      DWORD size = kPortNameBytes;
      DWORD type = 0;
      const LONG rc = RegQueryValueExA(key, "portname", nullptr, &type,
                                       reinterpret_cast<BYTE*>(portName), &size);
      if (rc != ERROR_SUCCESS) {
        RegCloseKey(key);
        return nullptr;
      }
      // The value need not end in a NUL; it ends at the first one if it has one.
      const std::string_view found(portName,
                                   strnlen(portName, std::min<DWORD>(size, kPortNameBytes)));
      if (equalNoCase(found, name)) return adoptRegistryKey(key);
      RegCloseKey(key);
    }
    return nullptr;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DCB dcb_{};
  DWORD savedClass_ = NORMAL_PRIORITY_CLASS;
  int savedThread_ = THREAD_PRIORITY_NORMAL;
  HMODULE cfgmgr32_ = nullptr;
  OpenDevNodeKey openDevNodeKey_ = nullptr;
};

}  // namespace

std::unique_ptr<DeviceKey> adoptRegistryKey(HKEY key) {
  return std::make_unique<RegistryDeviceKey>(key);
}

std::unique_ptr<PortSystem> makePlatformPortSystem() {
  return std::make_unique<Win32PortSystem>();
}

}  // namespace tallowick
