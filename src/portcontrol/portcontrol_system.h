// What TPortControl needs from the operating system, one call per step of its
// operations, with one implementation per platform (Win32, termios). Every call returns
// 0 on success or the system's error code (a Windows error, or an errno value), so that
// TPortControl alone decides the result codes and texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "portcontrol/portcontrol.h"

namespace tallowick {

using SystemError = std::uint32_t;  // 0: no error

// The line settings that TPortControl sets; the platform keeps every other setting of
// the port as its driver has it.
struct LineSettings {
  std::int32_t baudRate = 9600;
  int dataBits = 8;    // 5 to 8
  int parity = 0;      // the Windows values: 0 none, 1 odd, 2 even, 3 mark
  int stopBits = 0;    // the Windows values: 0 one, 1 one and a half, 2 two
  int dtrControl = 2;  // 0 disable, 1 enable, 2 handshake
  int rtsControl = 2;  // 0 disable, 1 enable, 2 handshake
  bool operator==(const LineSettings&) const = default;
};

class PortSystem {
 public:
  virtual ~PortSystem() = default;

  virtual PortPlatform platform() const = 0;
  // The system's text of an error code, without a trailing line break; empty when the
  // system has none.
  virtual std::string message(SystemError code) const = 0;
  // The system's error for an argument that cannot be used (a null buffer).
  virtual SystemError invalidArgument() const = 0;

  // The one port handle. open() keeps nothing on failure; close() forgets the handle
  // only when it succeeds.
  virtual SystemError open(const std::string& device) = 0;
  virtual bool isOpen() const = 0;
  virtual SystemError close() = 0;

  // Reads the port's whole settings record from the driver and keeps it.
  virtual SystemError readSettings() = 0;
  // Puts `settings` into the kept record and writes the record to the driver.
  virtual SystemError writeSettings(const LineSettings& settings) = 0;
  virtual SystemError setTimeouts(const T1CommTimeouts& timeouts) = 0;

  // Waits until everything written has left.
  virtual SystemError flush() = 0;
  virtual SystemError purge(std::uint32_t flags) = 0;
  // One write of all bytes, returning when done or timed out; an error when fewer were
  // written, `written` saying how many were.
  virtual SystemError write(const std::uint8_t* data, std::uint32_t count,
                            std::uint32_t& written) = 0;
  // One byte ahead of anything queued.
  virtual SystemError transmitChar(std::uint8_t byte) = 0;
  // One read of at most `count` bytes under the time-outs; fewer is no error.
  virtual SystemError read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) = 0;
  virtual SystemError clearCommError(std::uint32_t& errors, TComStat& status) = 0;
  virtual SystemError escape(std::uint32_t function) = 0;

  // The priorities of a session. The saved values stay with the system object.
  virtual SystemError saveProcessPriority() = 0;
  virtual SystemError saveThreadPriority() = 0;
  virtual SystemError raiseProcessPriority() = 0;
  virtual SystemError raiseThreadPriority() = 0;
  virtual SystemError restoreProcessPriority() = 0;
  virtual SystemError restoreThreadPriority() = 0;
  // Keeps the code of the read and write routines resident.
  virtual SystemError lockCode() = 0;
  virtual SystemError unlockCode() = 0;

  // The hardware key of the present port device whose port name is `name` (any case);
  // null when there is none or the walk cannot go on.
  virtual std::unique_ptr<DeviceKey> deviceKey(std::string_view name) = 0;
};

// The port services of this platform.
std::unique_ptr<PortSystem> makePlatformPortSystem();

}  // namespace tallowick
