#include "link/device_link.h"

#include <algorithm>

#include "link/cp1251.h"
#include "link/frame.h"

namespace tallowick {
namespace {

// Commands whose reply text the program reads in a joined form.
void touchUp(std::int32_t command, std::string& data) {
  if (data.size() <= 1) return;
  const CommandInfo* info = commandInfo(command);
  switch (info ? info->touchUp : TouchUp::None) {
    case TouchUp::CommaAfterFirst:
      data.insert(1, 1, ',');
      break;
    case TouchUp::CommaAtNinth:
      if (data.size() >= 9) data[8] = ',';
      break;
    case TouchUp::CommasInFirst20:
      std::replace(
          data.begin(),
          data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(20, data.size())), ' ',
          ',');
      break;
    case TouchUp::None:
      break;
  }
}

// Reply data are fields each followed by ';'. The last ';' closes the last field; every
// other one separates two fields, so an empty field anywhere, the last one included,
// comes out as an empty text. Fields beyond the twentieth stay only in ReplyText.
std::int32_t splitFields(const std::string& data, std::array<std::string, kMaxFields>& fields) {
  for (auto& f : fields)
    f.clear();
  if (data.empty()) return 0;
  std::string_view rest(data);
  if (rest.back() == frame::kSeparator) rest.remove_suffix(1);
  std::size_t count = 0;
  while (count < kMaxFields) {
    const auto cut = rest.find(static_cast<char>(frame::kSeparator));
    fields[count++] = cp1251::decode(rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return static_cast<std::int32_t>(count);
}

}  // namespace

DeviceLink::DeviceLink(LineFactory factory) : factory_(std::move(factory)) {}

DeviceLink::~DeviceLink() {
  if (line_ && line_->isOpen()) line_->close();
}

void DeviceLink::setLineFactory(LineFactory factory) {
  factory_ = std::move(factory);
}

void DeviceLink::setReadWait(std::chrono::milliseconds wait) {
  readWaitMs_ =
      static_cast<int>(std::clamp<std::int64_t>(wait.count(), 1, SerialLine::kReadTimeoutMs));
}

std::int32_t DeviceLink::OpenDeviceLink(const std::string& portName, std::int32_t baudRate) {
  // Asked from the stop check in the middle of a wait: the port in use stays.
  if (waiting_) return -1;
  // A second open without a close releases the first port instead of leaking it.
  if (line_ && line_->isOpen()) line_->close();
  linkIdle_ = true;
  inboxNext_ = inboxEnd_ = 0;
  line_ = factory_ ? factory_(portName) : makePlatformSerialLine();
  const std::int32_t handle = line_ ? line_->open(portName, baudRate) : -1;
  lastStopCheck_ = lineClock().now();
  openFailure_ = {};
  if (handle == -1) {
    openFailure_ = line_ ? line_->openFailure() : OpenFailure{OpenFailureReason::NoSuchDevice};
  }
  openFailure_.port = portName;
  openFailure_.baud = baudRate;
  return handle;
}

std::int32_t DeviceLink::CloseDeviceLink() {
  if (!line_) return 0;
  inboxNext_ = inboxEnd_ = 0;
  return line_->close() ? 1 : 0;
}

void DeviceLink::purge() {
  inboxNext_ = inboxEnd_ = 0;
  line_->purge();
}

CommandResult* DeviceLink::SendCommand(std::int32_t command, const std::string& data) {
  if (waiting_) {
    refuse(busyResult_, command, data, LinkRefusal::Busy);
    return &busyResult_;
  }
  receiver_.clearRetryRequest();
  attempt_ = 0;
  commandDeadline_ = lineClock().now() + kCommandTimeLimit;
  if (ExchangeFrame(command, data) == 0) {
    for (int attempt = 1; attempt < kMaxAttempts && receiver_.retryRequested(); ++attempt) {
      receiver_.clearRetryRequest();
      ResendLastCommand();
    }
  }
  commandDeadline_.reset();
  return &result_;
}

std::int32_t DeviceLink::ResendLastCommand() {
  if (!linkIdle_) return kNotReady;
  seqCounter_ = seqBeforeLast_;
  return ExchangeFrame(lastCommand_, lastData_);
}

void DeviceLink::refuse(CommandResult& record, std::int32_t command, const std::string& data,
                        LinkRefusal why) {
  // Nothing went out: the record must not read as the previous command's success.
  record.Command = command;
  record.ErrorFlags = 0;
  record.Status.fill(0);
  record.FieldCount = 0;
  for (auto& f : record.Fields)
    f.clear();
  record.ErrorCode.clear();
  record.CommandName = std::string(CommandDescription(command));
  record.RequestData = data;
  record.ReplyText.clear();
  record.Refusal = why;
  record.WaitEnded = WaitEnd::None;
}

std::int32_t DeviceLink::ExchangeFrame(std::int32_t command, const std::string& data) {
  if (!linkIdle_) {
    // The record of a command under way is left alone.
    if (!waiting_) result_.Refusal = LinkRefusal::NotReady;
    return kNotReady;
  }
  const auto wire = cp1251::encode(data);
  if (!wire || wire->size() > frame::kMaxRequestData) {
    refuse(result_, command, data, wire ? LinkRefusal::DataTooLong : LinkRefusal::NotEncodable);
    receiver_.clearRetryRequest();
    return kRefusedData;
  }
  lastCommand_ = command;
  lastData_ = data;
  lastWireData_ = *wire;
  ++attempt_;

  seqBeforeLast_ = seqCounter_;
  ++seqCounter_;
  result_.Command = command;
  result_.Refusal = LinkRefusal::None;
  linkIdle_ = false;
  waiting_ = true;
  const std::uint8_t seq = frame::seqByte(seqCounter_);
  const auto code = static_cast<std::uint8_t>(command);
  receiver_.beginAttempt(FrameId{seq, code});

  const auto* bytes = reinterpret_cast<const std::uint8_t*>(lastWireData_.data());
  const auto request = frame::buildRequest(seq, code, std::span(bytes, lastWireData_.size()));
  if (line_) {
    line_->drain();
    purge();
    line_->write(request);
  }
  const WaitEnd ended =
      awaitReply(commandDeadline_.value_or(lineClock().now() + kCommandTimeLimit));
  // A port that is gone, a wait past the limit or one cut short is not asked again.
  if (ended != WaitEnd::Frame && ended != WaitEnd::Silence) receiver_.clearRetryRequest();
  FinishReply(ended);
  waiting_ = false;
  linkIdle_ = true;
  receiver_.endAttempt();
  if (observer_) {
    observer_({attempt_, result_, receiver_.foreignFrameCount(), receiver_.foreignFrames()});
  }
  return 0;
}

WaitEnd DeviceLink::awaitReply(Micros deadline) {
  // The wait ends on the closing 03h of a frame of this request, or after
  // kSilentReadsLimit read periods of silence in a row (empty reads, or shorter ones that
  // add up to as much); any byte, busy bytes included, starts the count again. However busy
  // the line, it ends at the deadline; a port that is gone ends it at once, and so does the
  // stop check.
  const int periodMs = SerialLine::kReadTimeoutMs;
  int silentMs = 0;
  for (int silent = 0; silent < kSilentReadsLimit;) {
    const ReadStatus got = receive();
    if (got == ReadStatus::Closed) return WaitEnd::PortGone;
    if (got == ReadStatus::Bytes) {
      if (receiver_.frameComplete()) return WaitEnd::Frame;
      silent = 0;
      silentMs = 0;
    } else {
      for (silentMs += readWaitMs_; silentMs >= periodMs; silentMs -= periodMs)
        ++silent;
    }
    const Micros now = lineClock().now();
    if (now >= deadline) return WaitEnd::TimeLimit;
    if (stopCheck_ && (got != ReadStatus::Bytes || now - lastStopCheck_ >= kStopCheckPeriod)) {
      lastStopCheck_ = now;
      if (stopCheck_()) return WaitEnd::Stopped;
    }
  }
  return WaitEnd::Silence;
}

ReadStatus DeviceLink::receive() {
  if (inboxNext_ < inboxEnd_) {
    receiver_.feed(inbox_[inboxNext_++]);
    return ReadStatus::Bytes;
  }
  if (!line_) return ReadStatus::Closed;
  Clock& clock = line_->clock();
  const Micros start = clock.now();
  const ReadResult r = line_->read(inbox_, receiver_.bytesToCome(), readWaitMs_);
  switch (r.status) {
    case ReadStatus::Bytes:
      inboxNext_ = 0;
      inboxEnd_ = std::min(r.count, inbox_.size());
      // A line that says bytes came but brought none has brought nothing.
      if (inboxEnd_ == 0) return ReadStatus::Timeout;
      receiver_.feed(inbox_[inboxNext_++]);
      break;
    case ReadStatus::Error: {
      line_->clearError();
      receiver_.readFailed();
      const Micros period = std::chrono::milliseconds(readWaitMs_);
      const Micros spent = clock.now() - start;
      if (spent < period) clock.sleepFor(period - spent);
      break;
    }
    case ReadStatus::Closed:
      receiver_.readFailed();
      break;
    case ReadStatus::Timeout:
      break;
  }
  return r.status;
}

std::int32_t DeviceLink::ReceiveByte() {
  return receive() == ReadStatus::Bytes ? 1 : 0;
}

void DeviceLink::FinishReply(WaitEnd ended) {
  const bool complete = receiver_.frameComplete();
  const auto& raw = receiver_.status();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    result_.Status[i] = static_cast<std::uint8_t>(raw[i] & 0x7F);
  }

  // A frame with a wrong checksum is never an answer: it reads as no reply, so every
  // caller's no-reply branch takes it, and keeps its own bit to say what arrived.
  std::uint32_t flags = 0;
  if (!complete) {
    flags = flag::kNoReply;
  } else if (receiver_.frameDamaged()) {
    flags = flag::kNoReply | flag::kBadChecksum;
  } else if (receiver_.nakSeen()) {
    flags = flag::kNak;
  } else {
    flags = statusFlags(raw);
  }

  std::string data = receiver_.replyData();
  result_.ReplyText = cp1251::decode(data);
  touchUp(lastCommand_, data);
  result_.ErrorCode = cp1251::decode(receiver_.firstField());
  result_.ErrorFlags = flags;
  result_.WaitEnded = ended;
  result_.CommandName = std::string(CommandDescription(lastCommand_));
  result_.RequestData = lastData_;
  result_.FieldCount = splitFields(data, result_.Fields);
}

}  // namespace tallowick
