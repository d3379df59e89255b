// The byte-by-byte receive state machine of a reply frame: eleven states, one small
// handler each, dispatched through a table. It knows nothing of ports or time; the
// exchange feeds it one byte (or one failed read) at a time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// The SEQ byte and command code of a frame, as they are on the wire.
struct FrameId {
  std::uint8_t seq = 0;
  std::uint8_t command = 0;
  bool operator==(const FrameId&) const = default;
};

class ReplyReceiver {
 public:
  // Prepares for a new attempt: clears the link conditions, the status bytes and the
  // reply data. The state, the first field and the checksum figures carry over, as they
  // do on the line (a completed frame always leaves the state at WaitStart).
  //
  // With `expected`, only a frame with that SEQ and command answers the attempt: a frame
  // of another request (a late reply, a duplicate) is dropped as line noise, leaving the
  // record as it was, and counted in foreignFrames().
  void beginAttempt(std::optional<FrameId> expected = std::nullopt);

  // Feeds one received byte.
  void feed(std::uint8_t b);

  // A read that ended in a port error: the frame under way is abandoned.
  void readFailed() { state_ = ReplyState::WaitStart; }

  // After the attempt: forget the previous byte (the double-01h rule is per attempt).
  void endAttempt() { previous_.reset(); }

  // A frame of this attempt ended with its 03h. A damaged one (a wrong checksum, also one
  // closed before its checksum arrived) counts as complete but asks for a repeat, as a
  // NAK does.
  bool frameComplete() const { return frameComplete_; }
  bool nakSeen() const { return nakSeen_; }
  bool retryRequested() const { return retryRequested_; }
  void clearRetryRequest() { retryRequested_ = false; }
  // True when the frame ended and the received checksum differs from the computed sum.
  bool checksumMismatch() const { return frameComplete_ && receivedChecksum_ != sum_; }
  // True when the frame ended but fails its checks: a wrong or incomplete checksum, or a
  // control byte in its first field. The error code is printable text; a 00h there (what
  // a framing error or a break leaves on the line) adds nothing to the sum and would pass
  // unseen.
  bool frameDamaged() const {
    return checksumMismatch() || (frameComplete_ && (firstFieldDamaged_ || !checksumRead_));
  }

  ReplyState state() const { return state_; }
  // The fewest bytes that must still come before the frame under way can end whole, from
  // what its head said (a damaged frame may end sooner); 0 while no frame is under way.
  std::size_t bytesToCome() const;
  // The first field as received (at most 19 bytes, Windows-1251).
  std::string firstField() const { return std::string(firstField_.data(), firstLength_); }
  // The reply data after the first field, as far as it arrived (Windows-1251).
  const std::string& replyData() const { return replyData_; }
  const std::array<std::uint8_t, 6>& status() const { return status_; }
  std::uint8_t sequence() const { return sequence_; }
  std::uint8_t command() const { return command_; }
  // The frames of other requests dropped in this attempt: how many, and the first few.
  static constexpr std::size_t kForeignFramesKept = 8;
  int foreignFrameCount() const { return foreignCount_; }
  const std::vector<FrameId>& foreignFrames() const { return foreign_; }

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
  // The first field as it was before the frame under way, put back when that frame turns
  // out to belong to another request.
  std::array<char, 20> firstBefore_{};
  std::size_t firstLengthBefore_ = 0;
  bool firstFieldDamaged_ = false;
  // All four checksum characters came: a frame closed after fewer is damaged, even when
  // the few it had happen to equal the sum.
  bool checksumRead_ = false;
  std::string replyData_;
  std::array<std::uint8_t, 6> status_{};
  std::uint32_t receivedChecksum_ = kNoChecksum;
  std::uint8_t sequence_ = 0;
  std::uint8_t seqByte_ = 0;
  std::uint8_t command_ = 0;
  std::optional<FrameId> expected_;
  int foreignCount_ = 0;
  std::vector<FrameId> foreign_;
  std::optional<std::uint8_t> previous_;
  bool nakSeen_ = false;
  bool retryRequested_ = false;
  bool frameComplete_ = false;
};

}  // namespace tallowick
