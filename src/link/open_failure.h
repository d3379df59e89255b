// Why a port did not open: one reason from a small set, with the operating system's own
// words when it gave any, so that the windows and the command line can tell the user
// what to do about it instead of only that the port cannot be used.
#pragma once

#include <cstdint>
#include <string>

namespace tallowick {

enum class OpenFailureReason : std::uint8_t {
  None,           // the last open succeeded, or the line cannot tell
  NoSuchDevice,   // nothing by that name (an unplugged adapter, a typing error)
  NoPermission,   // the user may not open it
  InUse,          // another program (or another open in this one) holds it
  NotSerialPort,  // it exists but is no serial port: a file, a folder, another device
  RateRefused,    // the driver does not take the rate
  Other,          // anything else; the system's text says what
};

struct OpenFailure {
  OpenFailureReason reason = OpenFailureReason::None;
  std::string systemText;  // the operating system's text of the error; may be empty
  // What was opened; filled by the device link.
  std::string port;
  std::int32_t baud = 0;
};

// The step of an open that failed, for the mappings of system errors below.
enum class OpenStep : std::uint8_t {
  Open,      // opening the device itself
  Hold,      // taking it for exclusive use
  Settings,  // reading or writing the line settings (rate, 8N1)
  Timeouts,  // setting the read and write time-outs
};

// The reason behind an errno value at a step of a POSIX open.
OpenFailureReason reasonOfErrno(int error, OpenStep step);
// The reason behind a Windows error code at a step of a Win32 open.
OpenFailureReason reasonOfWindowsError(std::uint32_t error, OpenStep step);

// The sentence that explains the failure, naming the port; empty for None.
std::string openFailureText(const OpenFailure& failure);

}  // namespace tallowick
