#include "link/reply_receiver.h"

#include <algorithm>

#include "link/frame.h"

namespace tallowick {

const std::array<ReplyReceiver::Handler, kReplyStates> ReplyReceiver::kHandlers = {
    &ReplyReceiver::onWaitStart,        &ReplyReceiver::onReadLength,
    &ReplyReceiver::onReadSequence,     &ReplyReceiver::onReadCommand,
    &ReplyReceiver::onReadErrorCode,    &ReplyReceiver::onReadReplyData,
    &ReplyReceiver::onWaitStatusMark,   &ReplyReceiver::onReadStatus,
    &ReplyReceiver::onWaitChecksumMark, &ReplyReceiver::onReadChecksum,
    &ReplyReceiver::onWaitEnd,
};

void ReplyReceiver::beginAttempt(std::optional<FrameId> expected) {
  expected_ = expected;
  foreignCount_ = 0;
  foreign_.clear();
  nakSeen_ = false;
  frameComplete_ = false;
  status_.fill(0);
  replyData_.clear();
}

std::size_t ReplyReceiver::bytesToCome() const {
  // 04h, the status bytes, 05h, the four checksum characters and 03h.
  constexpr std::size_t kTail = 1 + frame::kStatusBytes + 1 + 4 + 1;
  const std::size_t data = dataCount_;
  switch (state_) {
    case ReplyState::WaitStart:
      return 0;
    case ReplyState::ReadLength:  // LEN, SEQ, CMD and the ';' that ends the first field
      return 4 + kTail;
    case ReplyState::ReadSequence:
      return 3 + data + kTail;
    case ReplyState::ReadCommand:
      return 2 + data + kTail;
    case ReplyState::ReadErrorCode:
      return 1 + data + kTail;
    case ReplyState::ReadReplyData:
      return data - std::min<std::size_t>(byteCount_, data) + kTail;
    case ReplyState::WaitStatusMark:
      return kTail;
    case ReplyState::ReadStatus:
      return frame::kStatusBytes - std::min<std::size_t>(byteCount_, frame::kStatusBytes) + 6;
    case ReplyState::WaitChecksumMark:
      return 6;
    case ReplyState::ReadChecksum:
      return 4 - std::min<std::size_t>(byteCount_, 4) + 1;
    case ReplyState::WaitEnd:
      return 1;
  }
  return 0;
}

void ReplyReceiver::runHandler(std::uint8_t b) {
  (this->*kHandlers[static_cast<std::size_t>(state_)])(b);
}

void ReplyReceiver::feed(std::uint8_t b) {
  switch (b) {
    case frame::kStart:
      state_ = ReplyState::WaitStart;
      runHandler(b);
      if (previous_ == frame::kStart) retryRequested_ = true;
      break;
    case frame::kEnd:
      // A stray 03h outside any frame is line noise, not the end of a reply: taking it
      // as one would end the wait with the previous reply's figures and pass as success.
      if (state_ != ReplyState::WaitStart) {
        state_ = ReplyState::WaitEnd;
        runHandler(b);
      }
      break;
    case frame::kNak:
      state_ = ReplyState::WaitStart;
      nakSeen_ = true;
      retryRequested_ = true;
      break;
    default:
      runHandler(b);
      break;
  }
  if (b != frame::kBusy) previous_ = b;
}

void ReplyReceiver::onWaitStart(std::uint8_t b) {
  sum_ = 0;
  if (b == frame::kStart) {
    receivedChecksum_ = kNoChecksum;
    checksumRead_ = false;
    state_ = ReplyState::ReadLength;
  }
}

void ReplyReceiver::onReadLength(std::uint8_t b) {
  if (b < 0x30) {
    retryRequested_ = true;
    state_ = ReplyState::WaitStart;
    return;
  }
  dataCount_ = static_cast<std::uint8_t>(b - 0x30);
  sum_ += b;
  state_ = ReplyState::ReadSequence;
}

void ReplyReceiver::onReadSequence(std::uint8_t b) {
  if (b < 0x20) {
    retryRequested_ = true;
    state_ = ReplyState::WaitStart;
    return;
  }
  sequence_ = static_cast<std::uint8_t>(b - 0x20);
  seqByte_ = b;
  sum_ += b;
  state_ = ReplyState::ReadCommand;
}

void ReplyReceiver::onReadCommand(std::uint8_t b) {
  command_ = b;
  byteCount_ = 0;
  sum_ += b;
  replyData_.clear();
  // Every frame starts its first field afresh, also after a frame that was dropped
  // half-way through its first field.
  firstBefore_ = firstField_;
  firstLengthBefore_ = firstLength_;
  firstLength_ = 0;
  firstFieldDamaged_ = false;
  state_ = ReplyState::ReadErrorCode;
}

void ReplyReceiver::onReadErrorCode(std::uint8_t b) {
  sum_ += b;
  if (b == frame::kSeparator) {
    state_ = dataCount_ != 0 ? ReplyState::ReadReplyData : ReplyState::WaitStatusMark;
    return;
  }
  if (b < 0x20) firstFieldDamaged_ = true;
  // The field holds 19 characters; further ones are summed but not kept.
  if (firstLength_ < firstField_.size() - 1) firstField_[firstLength_++] = static_cast<char>(b);
}

void ReplyReceiver::onReadReplyData(std::uint8_t b) {
  if (byteCount_ < dataCount_) {
    replyData_.push_back(static_cast<char>(b));
    ++byteCount_;
    sum_ += b;
  }
  if (byteCount_ == dataCount_) state_ = ReplyState::WaitStatusMark;
}

void ReplyReceiver::onWaitStatusMark(std::uint8_t b) {
  if (b != frame::kStatusMark) {
    state_ = ReplyState::WaitStart;
    return;
  }
  byteCount_ = 0;
  sum_ += b;
  state_ = ReplyState::ReadStatus;
}

void ReplyReceiver::onReadStatus(std::uint8_t b) {
  if (byteCount_ < status_.size()) {
    status_[byteCount_++] = b;
    sum_ += b;
  }
  if (byteCount_ == status_.size()) state_ = ReplyState::WaitChecksumMark;
}

void ReplyReceiver::onWaitChecksumMark(std::uint8_t b) {
  if (b != frame::kChecksumMark) {
    state_ = ReplyState::WaitStart;
    return;
  }
  byteCount_ = 0;
  receivedChecksum_ = 0;
  checksumRead_ = false;
  sum_ += b;
  state_ = ReplyState::ReadChecksum;
}

void ReplyReceiver::onReadChecksum(std::uint8_t b) {
  if (byteCount_ < 4) {
    receivedChecksum_ = receivedChecksum_ * 16 + static_cast<std::uint32_t>(b - 0x30);
    ++byteCount_;
  }
  if (byteCount_ == 4) {
    checksumRead_ = true;
    state_ = ReplyState::WaitEnd;
  }
}

void ReplyReceiver::onWaitEnd(std::uint8_t b) {
  state_ = ReplyState::WaitStart;
  if (b != frame::kEnd) return;
  if (!checksumRead_ || receivedChecksum_ != sum_ || firstFieldDamaged_) {
    // Nothing in a damaged frame can be trusted, its SEQ and command included: the
    // printer is asked again, and answers a repeat without carrying the command out twice.
    frameComplete_ = true;
    retryRequested_ = true;
    return;
  }
  const FrameId id{seqByte_, command_};
  if (expected_ && id != *expected_) {
    ++foreignCount_;
    if (foreign_.size() < kForeignFramesKept) foreign_.push_back(id);
    firstField_ = firstBefore_;
    firstLength_ = firstLengthBefore_;
    replyData_.clear();
    status_.fill(0);
    return;
  }
  frameComplete_ = true;
}

}  // namespace tallowick
