// The serial line seam: exactly what the device link needs from a port, with one
// implementation per platform (termios, Win32) and in-process ones for the virtual printer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "link/clock.h"
#include "link/open_failure.h"

namespace tallowick {

// Outcome of one read.
enum class ReadStatus {
  Bytes,    // one byte or more arrived
  Timeout,  // the wait (the read period, 100 ms, or the shorter one asked for) passed empty
  Error,    // the port reported an error; the read returned at once
  Closed,   // the port is gone (end of file, hang-up, not open): every later read says so
};

struct ReadResult {
  ReadStatus status = ReadStatus::Timeout;
  std::size_t count = 0;  // bytes put into the buffer: at least one for Bytes, else none
};

// One serial port held exclusively. Every operation is blocking and returns when done.
class SerialLine {
 public:
  // The one read period of the link: a read returns after at most this long.
  static constexpr int kReadTimeoutMs = 100;

  virtual ~SerialLine() = default;

  // Opens the named port for exclusive use: 8 data bits, no parity, one stop bit at
  // exactly `baud`, every byte passed as it is (no XON/XOFF, no CR/LF translation; only
  // hardware flow control stays as the driver has it), reads that wait at most
  // kReadTimeoutMs, writes and drains bounded by writeLimitMs; both directions purged.
  // Returns a non-negative handle, or -1 when the port cannot be used (missing, held by
  // another open, or its settings or time-outs cannot be set).
  virtual std::int32_t open(const std::string& portName, std::int32_t baud) = 0;

  // Why the last open returned -1 (None after one that succeeded). The port and the rate
  // are left empty for the device link to fill.
  virtual OpenFailure openFailure() const { return {}; }

  // Drains what was written (as drain does), purges both directions and releases the port.
  // Returns true when an open port was closed.
  virtual bool close() = 0;

  virtual bool isOpen() const = 0;

  // How long writing (or draining) `bytes` may take at `baud`: three times their time on
  // the line and two seconds more. A printer that holds its flow control off (CTS low, a
  // cable without the line) would otherwise keep a write waiting for ever; past the limit
  // what is left is discarded and the command reads as unanswered.
  static constexpr int writeLimitMs(std::size_t bytes, std::int32_t baud) {
    return 2000 + static_cast<int>(3 * bytes * 10 * 1000 /
                                   static_cast<std::size_t>(baud > 0 ? baud : 9600));
  }

  // Writes all bytes within writeLimitMs; failures are not reported (they show up as no
  // reply).
  virtual void write(std::span<const std::uint8_t> bytes) = 0;

  // Takes what the port holds, at most `into.size()` bytes: at once when something is there,
  // else as soon as something comes, after at most `waitMs` (1 to kReadTimeoutMs). `coming`
  // is how many bytes the reader knows are still on their way (the rest of a frame under
  // way; 0 when it cannot tell): a line whose bytes come at the line's pace may wait for
  // most of them and hand them over together, never past the time the last of them needs to
  // arrive, nor past `waitMs`.
  virtual ReadResult read(std::span<std::uint8_t> into, std::size_t coming, int waitMs) = 0;

  // The time the line's reads pass in: real time, or the virtual time of an in-process
  // line. The link measures its waits on it.
  virtual Clock& clock() { return realClock(); }

  // Discards whatever is pending in both directions.
  virtual void purge() = 0;

  // Waits until everything written has left the computer, for at most writeLimitMs of
  // what is queued; then discards the rest.
  virtual void drain() = 0;

  // Clears the port's error state after a failed read.
  virtual void clearError() = 0;
};

// The serial line of this platform (termios or Win32).
std::unique_ptr<SerialLine> makePlatformSerialLine();

}  // namespace tallowick
