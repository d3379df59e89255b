// TPortControl: a general serial-port component with line settings and time-outs as
// properties, reads and writes inside a raised-priority "session", modem-line and buffer
// control, and the UART FIFO settings that Windows keeps per port in the registry. Every
// operation returns 0 or a negative result code and can keep a text of the last failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "portcontrol/portcontrol_results.h"

namespace tallowick {

// The five read and write time-outs of a port, in milliseconds, as the Windows
// COMMTIMEOUTS record has them. Assigning one copies all five.
struct T1CommTimeouts {
  std::int32_t ReadIntervalTimeout = 0;
  std::int32_t ReadTotalTimeoutMultiplier = 0;
  std::int32_t ReadTotalTimeoutConstant = 1000;
  std::int32_t WriteTotalTimeoutMultiplier = 0;
  std::int32_t WriteTotalTimeoutConstant = 0;

  bool operator==(const T1CommTimeouts&) const = default;
};

// Line-control values of the DTR and RTS lines: 0, 1, 2.
enum class TDtrControl : std::uint8_t { DTR_DISABLE, DTR_ENABLE, DTR_HANDSHAKE };
enum class TRtsControl : std::uint8_t { RTS_DISABLE, RTS_ENABLE, RTS_HANDSHAKE };
enum class TDataBits : std::uint8_t { Bits5, Bits6, Bits7, Bits8 };
enum class TBaudRate : std::uint8_t {
  S256000,
  S128000,
  S115200,
  S057600,
  S056000,
  S038400,
  S019200,
  S011400,
  S009600,
  S004800,
  S002400,
  S001200,
  S000600,
  S000300,
  S000110,
};
// The order is the component's; the Windows parity value of each is parityValue().
enum class TParity : std::uint8_t { NO, EVEN, MARK, ODD };
enum class TStopBits : std::uint8_t { ONE, ONE5, TWO };

// Bits per second of a rate (S011400 is 11400).
std::int32_t baudRateValue(TBaudRate rate);
// 5 to 8.
int dataBitsValue(TDataBits bits);
// The Windows values: NO 0, ODD 1, EVEN 2, MARK 3.
int parityValue(TParity parity);
// The Windows values: ONE 0, ONE5 1, TWO 2.
int stopBitsValue(TStopBits stopBits);

// Functions of EscapeCommFunction, numbered as Windows numbers them.
namespace escape {
inline constexpr std::uint32_t kSetXoff = 1;  // transmit as if XOFF had been received
inline constexpr std::uint32_t kSetXon = 2;   // transmit as if XON had been received
inline constexpr std::uint32_t kSetRts = 3;
inline constexpr std::uint32_t kClrRts = 4;
inline constexpr std::uint32_t kSetDtr = 5;
inline constexpr std::uint32_t kClrDtr = 6;
inline constexpr std::uint32_t kResetDev = 7;  // printer ports only
inline constexpr std::uint32_t kSetBreak = 8;
inline constexpr std::uint32_t kClrBreak = 9;
}  // namespace escape

// Flags of ClearBuffers, as Windows numbers them.
namespace purge {
inline constexpr std::uint32_t kTxAbort = 0x01;
inline constexpr std::uint32_t kRxAbort = 0x02;
inline constexpr std::uint32_t kTxClear = 0x04;
inline constexpr std::uint32_t kRxClear = 0x08;
inline constexpr std::uint32_t kAll = 0x0F;
}  // namespace purge

// The state of the port's queues as the last ClearError found it.
struct TComStat {
  std::uint32_t Flags = 0;  // the hold and end-of-file bits of the Windows record
  std::uint32_t cbInQue = 0;
  std::uint32_t cbOutQue = 0;
  bool operator==(const TComStat&) const = default;
};

// The operating system family, which decides how the FIFO settings are kept and which
// port numbers SetNumPort accepts.
enum class PortPlatform { WindowsNT, Windows9x, Other };

// The registry value types that the FIFO settings use.
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// A registry value: its type and its bytes.
struct RegistryData {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const RegistryData&) const = default;
};

// An open hardware key of a port device. Destroying it closes the key.
class DeviceKey {
 public:
  virtual ~DeviceKey() = default;
  // The value with its type and bytes, or the system's error (a missing value is one).
  virtual std::uint32_t read(std::string_view name, RegistryData& data) = 0;
  virtual std::uint32_t write(std::string_view name, const RegistryData& data) = 0;
};

class PortSystem;

class TPortControl {
 public:
  // With the port services of this platform.
  TPortControl();
  // With the given port services (tests, other back ends). Never null.
  explicit TPortControl(std::unique_ptr<PortSystem> system);
  // Ends a session and closes the port when they are still open.
  virtual ~TPortControl();
  TPortControl(const TPortControl&) = delete;
  TPortControl& operator=(const TPortControl&) = delete;

  // Published properties, with their defaults.
  T1CommTimeouts Timeout;
  bool Buffering = false;
  std::string Port;  // the device name the port is opened with
  TDtrControl DTR = TDtrControl::DTR_HANDSHAKE;
  TRtsControl RTS = TRtsControl::RTS_HANDSHAKE;
  TDataBits DataBits = TDataBits::Bits8;
  TBaudRate BaudRate = TBaudRate::S009600;
  TParity Parity = TParity::NO;
  TStopBits StopBits = TStopBits::ONE;
  char EndChar = 0;
  bool WaitEndChar = false;
  bool EnableDescr = false;

  // Opens `Port` exclusively and gives it the line settings and time-outs of the
  // properties. After a failure past the open itself the port stays open.
  virtual std::int32_t OpenPort();
  // Drains the output, purges both directions and closes the port. A session still open
  // is ended first.
  virtual std::int32_t ClosePort();
  // Raises the process and the calling thread to the highest priority, keeps the read and
  // write code resident and, with `purge`, empties both directions.
  virtual std::int32_t StartSession(bool purge);
  // Restores the priorities saved by StartSession.
  virtual std::int32_t EndSession(bool purge);
  // With Buffering, one write of all bytes; without, the bytes one by one as immediate
  // characters. Then waits until they have left. `written` counts the bytes sent.
  virtual std::int32_t WriteData(const void* data, std::uint32_t count, std::uint32_t& written);
  // With WaitEndChar, byte by byte up to `count` bytes or the end character (kept and
  // counted); without, one read that may return fewer bytes than asked for.
  virtual std::int32_t ReadData(void* buffer, std::uint32_t count, std::uint32_t& read);
  // Takes the port's error state into CommErrors() and CommStatus(), then purges.
  virtual std::int32_t ClearError();
  // Gives the open port the time-outs of `Timeout`.
  virtual std::int32_t SetPortTimeouts();
  // One of the escape:: functions: modem lines, break, software flow state.
  virtual std::int32_t EscapeCommFunction(std::uint32_t function);
  // Purges with the given purge:: flags.
  virtual std::int32_t ClearBuffers(std::uint32_t flags);
  // The FIFO settings of the device named by `Port`, in its registry key.
  virtual std::int32_t EnableFIFO(bool on);
  virtual std::int32_t SetFIFOSize(bool receive, std::int32_t size);
  // 1 or 0, or a negative result code.
  virtual std::int32_t IsFIFOEnable();
  // The size, or a negative result code.
  virtual std::int32_t GetFIFOSize(bool receive);

  // Copies the five values into `Timeout` (the open port keeps its time-outs until
  // SetPortTimeouts).
  void SetTimeout(const T1CommTimeouts& timeouts);
  // While the port is closed, sets `Port` to a name "com" + n (any case) in upper case,
  // for n from 1 to 256 on Windows NT and 1 to 9 on Windows 95/98. Returns whether
  // `Port` changed; anything else leaves it unchanged.
  bool SetNumPort(std::string_view name);
  // The hardware key of the present port device whose port name is `name` (any case),
  // opened for reading and writing; null when there is none or while an enumeration
  // begun with BeginEnumeratePorts below has not been ended.
  std::unique_ptr<DeviceKey> GetDeviceKey(std::string_view name);
  // The system's text for an error code, as "text\nError = 0x..". Kept as the
  // description when EnableDescr is set.
  std::string ErrorString(std::uint32_t code);

  // The port enumeration, one name per call (see port_enumeration.h).
  static std::int32_t BeginEnumeratePorts();
  static std::string EnumeratePorts();
  static std::int32_t EndEnumeratePorts();

  bool IsOpen() const;
  bool InSession() const { return session_; }
  // The system error of the last failing call, the result code of a refusal, 0 after a
  // success.
  std::int32_t LastError() const { return lastError_; }
  // The last failure in words; always empty without EnableDescr.
  const std::string& Description() const { return description_; }
  // What the last successful ClearError took from the port.
  std::uint32_t CommErrors() const { return commErrors_; }
  const TComStat& CommStatus() const { return comStat_; }
  // The platform the port services run on.
  PortPlatform Platform() const;

 private:
  std::int32_t succeed();
  std::int32_t refuse(std::int32_t code, std::string_view text);
  std::int32_t systemFailure(std::int32_t code, std::uint32_t systemError);
  std::int32_t silentFailure(std::int32_t code, std::uint32_t systemError);
  std::int32_t needOpen(std::string_view notOpenText);
  std::int32_t needSession(std::string_view notOpenText, std::string_view noSessionText);
  std::int32_t applyLineSettings();
  std::pair<std::int32_t, std::uint32_t> restorePriorities();
  std::int32_t readToEndChar(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read);
  template <typename Body>
  std::int32_t withFifoKey(Body&& body);

  std::unique_ptr<PortSystem> system_;
  bool session_ = false;
  std::int32_t lastError_ = 0;
  std::string description_;
  std::uint32_t commErrors_ = 0;
  TComStat comStat_;
};

}  // namespace tallowick
