// The serial line on Windows: synchronous file I/O on the COM device, reads that take what
// the driver holds or wait at most 100 ms for it, 1024-byte driver queues and 8N1 at the
// requested rate. Every byte passes as it is: XON/XOFF, the error character and null
// stripping are off; the hardware flow control stays as the driver has it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "link/serial_line.h"
#include "platform/windows_text.h"

namespace tallowick {
namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kPurgeBuffers = PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr SIZE_T kLockedCodeBytes = 8192;

// The errors of a read on a port whose device has gone (an adapter pulled out) or whose
// handle is no good any more; every other failure is a line error that clears.
bool portGone(DWORD error) {
  switch (error) {
    case ERROR_INVALID_HANDLE:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_GEN_FAILURE:
      return true;
    default:
      return false;
  }
}

// The read the link waits in; kept resident so paging never stalls it.
BOOL readSome(HANDLE h, std::uint8_t* into, DWORD size, DWORD* got) {
  return ReadFile(h, into, size, got, nullptr);
}

class Win32SerialLine final : public SerialLine {
 public:
  ~Win32SerialLine() override { close(); }

  std::int32_t open(const std::string& portName, std::int32_t baud) override {
    close();
    VirtualLock(reinterpret_cast<LPVOID>(&readSome), kLockedCodeBytes);

    // A read returns at once with what the driver holds; with nothing there it returns as
    // soon as a byte comes, or empty after the read period.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = kReadTimeoutMs;
    // A write returns within writeLimitMs even when the flow control holds the line: three
    // times each byte's time (rounded up to whole milliseconds) and two seconds more.
    timeouts.WriteTotalTimeoutMultiplier =
        static_cast<DWORD>(baud > 0 ? (30000 + baud - 1) / baud : 4);
    timeouts.WriteTotalTimeoutConstant = 2000;
    baud_ = baud;

    // "\\.\" and at most 27 characters of port name fit the device path.
    char path[32];
    failure_ = {};
    if (portName.empty() || portName.size() > 27) {
      failure_.reason = OpenFailureReason::NoSuchDevice;
      return -1;
    }
    std::snprintf(path, sizeof path, "\\\\.\\%s", portName.c_str());

    handle_ =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return fail(OpenStep::Open);
    SetupComm(handle_, 1024, 1024);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return fail(OpenStep::Settings);
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // An XOFF from the line would stop our output for good; a NUL or a damaged byte would
    // be dropped or replaced.
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    if (!SetCommState(handle_, &dcb)) return fail(OpenStep::Settings);
    if (!SetCommTimeouts(handle_, &timeouts)) return fail(OpenStep::Timeouts);
    readWaitMs_ = kReadTimeoutMs;
    PurgeComm(handle_, kPurgeAll);
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(handle_));
  }

  bool close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    drain();
    PurgeComm(handle_, kPurgeAll);
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

  OpenFailure openFailure() const override { return failure_; }

  bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  void write(std::span<const std::uint8_t> bytes) override {
    DWORD written = 0;
    WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

  // The driver hands over what it holds as soon as a byte has come; the bytes still coming
  // change nothing (a sleep on Windows is too coarse for them).
  ReadResult read(std::span<std::uint8_t> into, std::size_t, int waitMs) override {
    if (handle_ == INVALID_HANDLE_VALUE) return {ReadStatus::Closed, 0};
    // Another wait than the last one asked for is the driver's read time-out anew.
    if (waitMs != readWaitMs_) {
      COMMTIMEOUTS timeouts{};
      GetCommTimeouts(handle_, &timeouts);
      timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(waitMs);
      if (SetCommTimeouts(handle_, &timeouts)) readWaitMs_ = waitMs;
    }
    DWORD got = 0;
    if (!readSome(handle_, into.data(), static_cast<DWORD>(into.size()), &got)) {
      return {portGone(GetLastError()) ? ReadStatus::Closed : ReadStatus::Error, 0};
    }
    if (got > 0) return {ReadStatus::Bytes, got};
    return {ReadStatus::Timeout, 0};
  }

  void purge() override { PurgeComm(handle_, kPurgeBuffers); }

  // FlushFileBuffers would wait without limit behind a held flow control: the driver's
  // queue is watched instead, and what is left past the limit discarded.
  void drain() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    const auto queued = [this]() -> DWORD {
      DWORD errors = 0;
      COMSTAT status{};
      return ClearCommError(handle_, &errors, &status) ? status.cbOutQue : 0;
    };
    const DWORD limit = GetTickCount() + static_cast<DWORD>(writeLimitMs(queued(), baud_));
    while (queued() > 0) {
      if (static_cast<LONG>(GetTickCount() - limit) >= 0) {
        PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
        return;
      }
      Sleep(10);
    }
  }

  void clearError() override {
    DWORD errors = 0;
    ClearCommError(handle_, &errors, nullptr);
  }

 private:
  // Gives up an open whose last call failed at `step`: keeps the reason with the system's
  // text and releases the handle. Returns -1, the open's result.
  std::int32_t fail(OpenStep step) {
    const DWORD error = GetLastError();
    failure_ = {reasonOfWindowsError(error, step), platform::windowsErrorText(error), {}, 0};
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return -1;
  }

  std::int32_t baud_ = 9600;
  int readWaitMs_ = kReadTimeoutMs;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OpenFailure failure_;
};

}  // namespace

std::unique_ptr<SerialLine> makePlatformSerialLine() {
  return std::make_unique<Win32SerialLine>();
}

}  // namespace tallowick
