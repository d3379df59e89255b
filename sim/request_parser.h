// Reads request frames one byte at a time, the way the printer's firmware does: it waits
// for 01h, takes LEN, SEQ, CMD and the data that LEN announces, then insists on 05h, four
// checksum characters and 03h. A frame that breaks any of these is rejected (the printer
// answers NAK); a 01h anywhere starts the frame over.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace tallowick::sim {

struct Request {
  std::uint8_t seq = 0;
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;  // Windows-1251 text, fields each followed by ';'
};

enum class Rejection : std::uint8_t {
  BadLength,       // LEN below 24h: not even room for SEQ, CMD and 05h
  NoChecksumMark,  // the byte after the data was not 05h
  NoEndMark,       // the byte after the checksum was not 03h
  BadChecksum,     // the checksum characters do not match the bytes
};

std::string_view rejectionText(Rejection r);

using ParseOutcome = std::variant<Request, Rejection>;

class RequestParser {
 public:
  // Takes one byte; an outcome when it completed (or spoiled) a frame attempt.
  std::optional<ParseOutcome> feed(std::uint8_t b);

  // Forgets a frame under way (the printer rebooted or heard noise).
  void reset();

  // The bytes of the attempt that the last outcome closed, from its 01h on.
  const std::vector<std::uint8_t>& lastFrame() const { return frame_; }

 private:
  enum class State : std::uint8_t {
    WaitStart,
    Length,
    Sequence,
    Command,
    Data,
    ChecksumMark,
    Checksum,
    End,
  };

  std::optional<ParseOutcome> reject(Rejection r);

  State state_ = State::WaitStart;
  std::vector<std::uint8_t> frame_;
  Request request_;
  std::size_t dataLeft_ = 0;
  std::uint32_t sum_ = 0;
  std::uint32_t received_ = 0;
  int checksumChars_ = 0;
  bool closed_ = false;  // frame_ holds a finished attempt; the next byte starts afresh
};

}  // namespace tallowick::sim
