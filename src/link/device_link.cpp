#include "link/device_link.h"

#include <algorithm>

#include "link/cp1251.h"
#include "link/frame.h"

namespace tallowick {
namespace {

// Commands whose reply text the program reads in a joined form.
void touchUp(std::int32_t command, std::string& data) {
  if (data.size() <= 1) return;
  switch (command) {
    case 0x32:
    case 0x35:
      data.insert(1, 1, ',');
      break;
    case 0x3E:
      if (data.size() >= 9) data[8] = ',';
      break;
    case 0x5A:
      std::replace(
          data.begin(),
          data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(20, data.size())), ' ',
          ',');
      break;
    default:
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

std::int32_t DeviceLink::OpenDeviceLink(const std::string& portName, std::int32_t baudRate) {
  // A second open without a close releases the first port instead of leaking it.
  if (line_ && line_->isOpen()) line_->close();
  linkIdle_ = true;
  line_ = factory_ ? factory_(portName) : makePlatformSerialLine();
  const std::int32_t handle = line_ ? line_->open(portName, baudRate) : -1;
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
  return line_->close() ? 1 : 0;
}

CommandResult* DeviceLink::SendCommand(std::int32_t command, const std::string& data) {
  receiver_.clearRetryRequest();
  attempt_ = 0;
  if (ExchangeFrame(command, data) != 0) return &result_;
  for (int attempt = 1; attempt < kMaxAttempts && receiver_.retryRequested(); ++attempt) {
    receiver_.clearRetryRequest();
    ResendLastCommand();
  }
  return &result_;
}

std::int32_t DeviceLink::ResendLastCommand() {
  if (!linkIdle_) return kNotReady;
  seqCounter_ = seqBeforeLast_;
  return ExchangeFrame(lastCommand_, lastData_);
}

void DeviceLink::refuse(std::int32_t command, const std::string& data, LinkRefusal why) {
  // Nothing went out: the record must not read as the previous command's success.
  result_.Command = command;
  result_.ErrorFlags = 0;
  result_.Status.fill(0);
  result_.FieldCount = 0;
  for (auto& f : result_.Fields)
    f.clear();
  result_.ErrorCode.clear();
  result_.CommandName = std::string(CommandDescription(command));
  result_.RequestData = data;
  result_.ReplyText.clear();
  result_.Refusal = why;
}

std::int32_t DeviceLink::ExchangeFrame(std::int32_t command, const std::string& data) {
  if (!linkIdle_) {
    result_.Refusal = LinkRefusal::NotReady;
    return kNotReady;
  }
  const auto wire = cp1251::encode(data);
  if (!wire || wire->size() > frame::kMaxRequestData) {
    refuse(command, data, wire ? LinkRefusal::DataTooLong : LinkRefusal::NotEncodable);
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
  receiver_.beginAttempt();

  const auto* bytes = reinterpret_cast<const std::uint8_t*>(lastWireData_.data());
  const auto request =
      frame::buildRequest(frame::seqByte(seqCounter_), static_cast<std::uint8_t>(command),
                          std::span(bytes, lastWireData_.size()));
  if (line_) {
    line_->drain();
    line_->purge();
    line_->write(request);
  }

  // The wait ends on the closing 03h of a frame, or after kSilentReadsLimit empty reads in
  // a row; any byte, busy bytes included, starts the count again.
  for (int silent = 0; silent < kSilentReadsLimit;) {
    if (ReceiveByte() == 0) {
      ++silent;
    } else if (receiver_.frameComplete()) {
      break;
    } else {
      silent = 0;
    }
  }
  FinishReply();
  linkIdle_ = true;
  receiver_.endAttempt();
  if (observer_) observer_({attempt_, result_});
  return 0;
}

std::int32_t DeviceLink::ReceiveByte() {
  const ReadResult r = line_ ? line_->readByte() : ReadResult{ReadStatus::Error, 0};
  switch (r.status) {
    case ReadStatus::Byte:
      receiver_.feed(r.byte);
      return 1;
    case ReadStatus::Error:
      if (line_) line_->clearError();
      receiver_.readFailed();
      return 0;
    case ReadStatus::Timeout:
      break;
  }
  return 0;
}

void DeviceLink::FinishReply() {
  const bool complete = receiver_.frameComplete();
  const auto& raw = receiver_.status();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    result_.Status[i] = static_cast<std::uint8_t>(raw[i] & 0x7F);
  }

  std::uint32_t flags = 0;
  if (!complete) {
    flags = flag::kNoReply;
  } else if (receiver_.nakSeen()) {
    flags = flag::kNak;
  } else if (receiver_.checksumMismatch()) {
    flags = flag::kBadChecksum;
  } else {
    flags = statusFlags(raw);
  }

  std::string data = receiver_.replyData();
  result_.ReplyText = cp1251::decode(data);
  touchUp(lastCommand_, data);
  result_.ErrorCode = cp1251::decode(receiver_.firstField());
  result_.ErrorFlags = flags;
  result_.CommandName = std::string(CommandDescription(lastCommand_));
  result_.RequestData = lastData_;
  result_.FieldCount = splitFields(data, result_.Fields);
}

}  // namespace tallowick
