// The byte-by-byte receive state machine of a reply frame: eleven states, one small
// handler each, dispatched through a table. It knows nothing of ports or time; the
// exchange feeds it one byte (or one failed read) at a time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tallowick {

enum class ReplyState : std::uint8_t {
  WaitStart = 0,
  ReadLength,
  ReadSequence,
  ReadCommand,
  ReadErrorCode,
  ReadReplyData,
  WaitStatusMark,
  ReadStatus,
  WaitChecksumMark,
  ReadChecksum,
  WaitEnd,
};
inline constexpr std::size_t kReplyStates = 11;

class ReplyReceiver {
 public:
  // Prepares for a new attempt: clears the link conditions, the status bytes and the
  // reply data. The state, the first field and the checksum figures carry over, as they
  // do on the line (a completed frame always leaves the state at WaitStart).
  void beginAttempt();

  // Feeds one received byte.
  void feed(std::uint8_t b);

  // A read that ended in a port error: the frame under way is abandoned.
  void readFailed() { state_ = ReplyState::WaitStart; }

  // After the attempt: forget the previous byte (the double-01h rule is per attempt).
  void endAttempt() { previous_.reset(); }

  bool frameComplete() const { return frameComplete_; }
  bool nakSeen() const { return nakSeen_; }
  bool retryRequested() const { return retryRequested_; }
  void clearRetryRequest() { retryRequested_ = false; }
  // True when the frame ended and the received checksum differs from the computed sum.
  bool checksumMismatch() const { return frameComplete_ && receivedChecksum_ != sum_; }

  ReplyState state() const { return state_; }
  // The first field as received (at most 19 bytes, Windows-1251).
  std::string firstField() const { return std::string(firstField_.data(), firstLength_); }
  // The reply data after the first field, as far as it arrived (Windows-1251).
  const std::string& replyData() const { return replyData_; }
  const std::array<std::uint8_t, 6>& status() const { return status_; }
  std::uint8_t sequence() const { return sequence_; }
  std::uint8_t command() const { return command_; }

 private:
  using Handler = void (ReplyReceiver::*)(std::uint8_t);
  static const std::array<Handler, kReplyStates> kHandlers;

  void runHandler(std::uint8_t b);
  void onWaitStart(std::uint8_t b);
  void onReadLength(std::uint8_t b);
  void onReadSequence(std::uint8_t b);
  void onReadCommand(std::uint8_t b);
  void onReadErrorCode(std::uint8_t b);
  void onReadReplyData(std::uint8_t b);
  void onWaitStatusMark(std::uint8_t b);
  void onReadStatus(std::uint8_t b);
  void onWaitChecksumMark(std::uint8_t b);
  void onReadChecksum(std::uint8_t b);
  void onWaitEnd(std::uint8_t b);

  // No checksum read yet in this frame: never equal to a real sum, so a frame closed
  // before its checksum arrived cannot pass as correct.
  static constexpr std::uint32_t kNoChecksum = 0xFFFFFFFFu;

  ReplyState state_ = ReplyState::WaitStart;
  std::uint32_t sum_ = 0;
  std::uint8_t dataCount_ = 0;
  std::uint8_t byteCount_ = 0;
  std::array<char, 20> firstField_{};
  std::size_t firstLength_ = 0;
  std::string replyData_;
  std::array<std::uint8_t, 6> status_{};
  std::uint32_t receivedChecksum_ = kNoChecksum;
  std::uint8_t sequence_ = 0;
  std::uint8_t command_ = 0;
  std::optional<std::uint8_t> previous_;
  bool nakSeen_ = false;
  bool retryRequested_ = false;
  bool frameComplete_ = false;
};

}  // namespace tallowick
