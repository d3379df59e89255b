#include "sim/request_parser.h"

#include "link/frame.h"

namespace tallowick::sim {
namespace {
// LEN counts itself, SEQ, CMD and 05h before any data.
constexpr std::uint8_t kMinLength = 0x24;
}  // namespace

std::string_view rejectionText(Rejection r) {
  switch (r) {
    case Rejection::BadLength:
      return "bad length";
    case Rejection::NoChecksumMark:
      return "no checksum mark";
    case Rejection::NoEndMark:
      return "no end mark";
    case Rejection::BadChecksum:
      return "bad checksum";
  }
  return "?";
}

void RequestParser::reset() {
  state_ = State::WaitStart;
  frame_.clear();
  closed_ = false;
}

std::optional<ParseOutcome> RequestParser::reject(Rejection r) {
  state_ = State::WaitStart;
  closed_ = true;
  return r;
}

std::optional<ParseOutcome> RequestParser::feed(std::uint8_t b) {
  if (closed_) {
    frame_.clear();
    closed_ = false;
  }
  // A start byte always begins a new frame: the host gave up on the old one.
  if (b == frame::kStart) {
    frame_.assign(1, b);
    request_ = Request{};
    sum_ = 0;
    state_ = State::Length;
    return std::nullopt;
  }
  if (state_ == State::WaitStart) return std::nullopt;  // noise between frames

  frame_.push_back(b);
  switch (state_) {
    case State::WaitStart:
      break;
    case State::Length:
      if (b < kMinLength) return reject(Rejection::BadLength);
      dataLeft_ = b - kMinLength;
      sum_ = b;
      state_ = State::Sequence;
      break;
    case State::Sequence:
      request_.seq = b;
      sum_ += b;
      state_ = State::Command;
      break;
    case State::Command:
      request_.command = b;
      sum_ += b;
      state_ = dataLeft_ > 0 ? State::Data : State::ChecksumMark;
      break;
    case State::Data:
      request_.data.push_back(b);
      sum_ += b;
      if (--dataLeft_ == 0) state_ = State::ChecksumMark;
      break;
    case State::ChecksumMark:
      if (b != frame::kChecksumMark) return reject(Rejection::NoChecksumMark);
      sum_ += b;
      received_ = 0;
      checksumChars_ = 0;
      state_ = State::Checksum;
      break;
    case State::Checksum:
      // Characters outside '0'..'?' cannot come from a correct sum; keep them distinct
      // so the comparison fails instead of wrapping into a valid nibble.
      received_ = received_ * 16 + (b >= 0x30 && b <= 0x3F ? b - 0x30u : 0x10000u);
      if (++checksumChars_ == 4) state_ = State::End;
      break;
    case State::End:
      if (b != frame::kEnd) return reject(Rejection::NoEndMark);
      if (received_ != (sum_ & 0xFFFFu)) return reject(Rejection::BadChecksum);
      state_ = State::WaitStart;
      closed_ = true;
      return std::move(request_);
  }
  return std::nullopt;
}

}  // namespace tallowick::sim
