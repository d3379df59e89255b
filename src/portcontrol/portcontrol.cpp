#include "portcontrol/portcontrol.h"

#include <array>
#include <cstdio>
#include <optional>
#include <tuple>
#include <utility>

#include "portcontrol/port_enumeration.h"
#include "portcontrol/portcontrol_fifo.h"
#include "portcontrol/portcontrol_system.h"

namespace tallowick {

namespace {

using namespace port_result;

constexpr PortResultInfo kResults[] = {
#define TALLOWICK_PORT_RESULT_INFO(name, code, meaning, description) \
  {code, meaning, DescriptionKind::description},
    TALLOWICK_PORT_RESULTS(TALLOWICK_PORT_RESULT_INFO)
#undef TALLOWICK_PORT_RESULT_INFO
};

// Windows errors wrapped as result codes carry 8 in bits 16 to 28.
constexpr std::uint32_t kWrappedFacilityMask = 0x1FFF0000;
constexpr std::uint32_t kWrappedFacility = 0x00080000;

static_assert(kEnumerationRefused == kEnumerationFailed);

// Whether an enumeration begun through TPortControl has not been ended yet.
bool& classEnumerationRunning() {
  static bool running = false;
  return running;
}

constexpr std::string_view kDevicePrefix = "\\\\.\\";

char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWithCom(std::string_view name) {
  return name.size() >= 3 && asciiUpper(name[0]) == 'C' && asciiUpper(name[1]) == 'O' &&
         asciiUpper(name[2]) == 'M';
}

// The n of "com" + n; none for anything else, including numbers too long to matter.
std::optional<int> comNumber(std::string_view name) {
  if (!startsWithCom(name)) return std::nullopt;
  const std::string_view digits = name.substr(3);
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  int n = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::span<const PortResultInfo> portResults() {
  return kResults;
}

std::string_view portResultMeaning(std::int32_t code) {
  for (const auto& r : kResults) {
    if (r.code == code) return r.meaning;
  }
  return {};
}

std::int32_t baudRateValue(TBaudRate rate) {
  static constexpr std::array<std::int32_t, 15> kRates{256000, 128000, 115200, 57600, 56000,
                                                       38400,  19200,  11400,  9600,  4800,
                                                       2400,   1200,   600,    300,   110};
  return kRates[static_cast<std::size_t>(rate)];
}

int dataBitsValue(TDataBits bits) {
  return 5 + static_cast<int>(bits);
}

int parityValue(TParity parity) {
  switch (parity) {
    case TParity::NO:
      return 0;
    case TParity::EVEN:
      return 2;
    case TParity::MARK:
      return 3;
    case TParity::ODD:
      return 1;
  }
  return 0;
}

int stopBitsValue(TStopBits stopBits) {
  return static_cast<int>(stopBits);
}

TPortControl::TPortControl() : TPortControl(makePlatformPortSystem()) {}

// The enumeration needs the configuration manager from the first port object on; it
// stays loaded when the last one is gone (see port_enumeration.h).
TPortControl::TPortControl(std::unique_ptr<PortSystem> system) : system_(std::move(system)) {
  LoadConfigManager();
}

TPortControl::~TPortControl() {
  if (IsOpen()) ClosePort();
}

bool TPortControl::IsOpen() const {
  return system_->isOpen();
}

PortPlatform TPortControl::Platform() const {
  return system_->platform();
}

std::int32_t TPortControl::succeed() {
  lastError_ = 0;
  description_.clear();
  return kOk;
}

std::int32_t TPortControl::refuse(std::int32_t code, std::string_view text) {
  lastError_ = code;
  description_ = EnableDescr ? std::string(text) : std::string();
  return code;
}

std::int32_t TPortControl::systemFailure(std::int32_t code, std::uint32_t systemError) {
  lastError_ = static_cast<std::int32_t>(systemError);
  description_.clear();
  if (EnableDescr) ErrorString(systemError);
  return code;
}

std::int32_t TPortControl::silentFailure(std::int32_t code, std::uint32_t systemError) {
  lastError_ = static_cast<std::int32_t>(systemError);
  description_.clear();
  return code;
}

std::int32_t TPortControl::needOpen(std::string_view notOpenText) {
  if (!IsOpen()) return refuse(kNotOpen, notOpenText);
  return kOk;
}

std::int32_t TPortControl::needSession(std::string_view notOpenText,
                                       std::string_view noSessionText) {
  if (!IsOpen()) return refuse(kNotOpen, notOpenText);
  if (!session_) return refuse(kNoSession, noSessionText);
  return kOk;
}

std::string TPortControl::ErrorString(std::uint32_t code) {
  if ((code & kWrappedFacilityMask) == kWrappedFacility) code &= 0xFFFF;
  std::string message = system_->message(code);
  if (message.empty()) message = "Unknown error";
  char number[32];
  std::snprintf(number, sizeof number, "\nError = 0x%lx", static_cast<unsigned long>(code));
  std::string text = message + number;
  if (EnableDescr) description_ = text;
  return text;
}

std::int32_t TPortControl::OpenPort() {
  if (IsOpen()) return refuse(kAlreadyOpen, port_text::kPortOpened);
  if (const auto e = system_->open(Port)) return systemFailure(kOpenFailed, e);
  if (const auto r = applyLineSettings()) return r;
  if (const auto e = system_->setTimeouts(Timeout)) return systemFailure(kTimeoutsFailed, e);
  return succeed();
}

std::int32_t TPortControl::applyLineSettings() {
  if (const auto e = system_->readSettings()) return systemFailure(kReadSettingsFailed, e);
  const LineSettings wanted{
      .baudRate = baudRateValue(BaudRate),
      .dataBits = dataBitsValue(DataBits),
      .parity = parityValue(Parity),
      .stopBits = stopBitsValue(StopBits),
      .dtrControl = static_cast<int>(DTR),
      .rtsControl = static_cast<int>(RTS),
  };
  if (const auto e = system_->writeSettings(wanted)) return systemFailure(kWriteSettingsFailed, e);
  if (const auto e = system_->readSettings()) return systemFailure(kReadSettingsFailed, e);
  return kOk;
}

std::int32_t TPortControl::ClosePort() {
  if (const auto r = needOpen(port_text::kNotOpened)) return r;
  // A session that outlived its port would leave the process at real-time priority.
  std::int32_t result = kOk;
  SystemError error = 0;
  if (session_) std::tie(result, error) = restorePriorities();
  session_ = false;
  // A port whose output cannot drain (a cable pulled out) is still released.
  auto note = [&](std::int32_t code, SystemError e) {
    if (e != 0 && result == kOk) {
      result = code;
      error = e;
    }
  };
  note(kFlushFailed, system_->flush());
  note(kPurgeFailed, system_->purge(purge::kAll));
  note(kCloseFailed, system_->close());
  if (result == kOk) return succeed();
  return systemFailure(result, error);
}

std::int32_t TPortControl::StartSession(bool purge) {
  if (const auto r = needOpen(port_text::kNotOpened)) return r;
  if (session_) return refuse(kSessionOpen, port_text::kSessionOpened);
  if (const auto e = system_->saveProcessPriority())
    return systemFailure(kGetPriorityClassFailed, e);
  if (const auto e = system_->saveThreadPriority())
    return systemFailure(kGetThreadPriorityFailed, e);
  // A session that does not start gives back whatever it had raised.
  std::int32_t code = kOk;
  SystemError e = system_->raiseProcessPriority();
  if (e) {
    code = kSetPriorityClassFailed;
  } else if ((e = system_->raiseThreadPriority())) {
    system_->restoreProcessPriority();
    code = kSetThreadPriorityFailed;
  } else if ((e = system_->lockCode())) {
    system_->restoreThreadPriority();
    system_->restoreProcessPriority();
    code = kLockFailed;
  } else if (purge && (e = system_->purge(purge::kAll))) {
    system_->unlockCode();
    system_->restoreThreadPriority();
    system_->restoreProcessPriority();
    code = kPurgeFailed;
  }
  if (code != kOk) return systemFailure(code, e);
  session_ = true;
  return succeed();
}

std::int32_t TPortControl::EndSession(bool purge) {
  if (const auto r = needSession(port_text::kNotOpened, port_text::kNoSessionEnd)) return r;
  if (const auto e = system_->restoreProcessPriority()) {
    return systemFailure(kSetPriorityClassFailed, e);
  }
  if (const auto e = system_->restoreThreadPriority()) {
    return systemFailure(kSetThreadPriorityFailed, e);
  }
  if (const auto e = system_->unlockCode()) return systemFailure(kUnlockFailed, e);
  if (purge) {
    if (const auto e = system_->purge(purge::kAll)) return systemFailure(kPurgeFailed, e);
  }
  session_ = false;
  return succeed();
}

// Every step is tried, so that nothing raised stays raised; the first failure counts.
std::pair<std::int32_t, std::uint32_t> TPortControl::restorePriorities() {
  std::int32_t code = kOk;
  SystemError error = 0;
  auto note = [&](std::int32_t c, SystemError e) {
    if (e != 0 && code == kOk) {
      code = c;
      error = e;
    }
  };
  note(kSetPriorityClassFailed, system_->restoreProcessPriority());
  note(kSetThreadPriorityFailed, system_->restoreThreadPriority());
  note(kUnlockFailed, system_->unlockCode());
  return {code, error};
}

std::int32_t TPortControl::WriteData(const void* data, std::uint32_t count,
                                     std::uint32_t& written) {
  written = 0;
  if (const auto r = needSession(port_text::kNotOpenedWrite, port_text::kNoSession)) return r;
  if (data == nullptr && count > 0) {
    return systemFailure(kWriteFailed, system_->invalidArgument());
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (Buffering) {
    if (count > 0) {
      if (const auto e = system_->write(bytes, count, written)) {
        return systemFailure(kWriteFailed, e);
      }
    }
  } else {
    for (std::uint32_t i = 0; i < count; ++i) {
      if (const auto e = system_->transmitChar(bytes[i])) return systemFailure(kWriteFailed, e);
      written = i + 1;
    }
  }
  if (const auto e = system_->flush()) return systemFailure(kFlushFailed, e);
  written = count;
  return succeed();
}

std::int32_t TPortControl::ReadData(void* buffer, std::uint32_t count, std::uint32_t& read) {
  read = 0;
  if (const auto r = needSession(port_text::kNotOpened, port_text::kNoSessionRead)) return r;
  if (buffer == nullptr && count > 0) {
    return systemFailure(kReadFailed, system_->invalidArgument());
  }
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  if (WaitEndChar) return readToEndChar(bytes, count, read);
  if (count > 0) {
    if (const auto e = system_->read(bytes, count, read)) return systemFailure(kReadFailed, e);
  }
  return succeed();
}

std::int32_t TPortControl::readToEndChar(std::uint8_t* buffer, std::uint32_t count,
                                         std::uint32_t& read) {
  const auto end = static_cast<std::uint8_t>(EndChar);
  while (read < count) {
    std::uint32_t got = 0;
    if (const auto e = system_->read(buffer + read, 1, got)) return systemFailure(kReadFailed, e);
    if (got == 0) break;  // the time-out passed without a byte
    if (buffer[read++] == end) return succeed();
  }
  return refuse(kEndCharAbsent, port_text::kEndCharAbsent);
}

std::int32_t TPortControl::ClearError() {
  if (const auto r = needSession(port_text::kNotOpened, port_text::kNoSessionClearError)) {
    return r;
  }
  std::uint32_t errors = 0;
  TComStat status;
  if (const auto e = system_->clearCommError(errors, status)) {
    return systemFailure(kClearCommErrorFailed, e);
  }
  commErrors_ = errors;
  comStat_ = status;
  if (const auto e = system_->purge(purge::kAll)) return systemFailure(kPurgeFailed, e);
  return succeed();
}

std::int32_t TPortControl::SetPortTimeouts() {
  if (const auto r = needOpen(port_text::kNotOpened)) return r;
  if (const auto e = system_->setTimeouts(Timeout)) return systemFailure(kTimeoutsFailed, e);
  return succeed();
}

std::int32_t TPortControl::EscapeCommFunction(std::uint32_t function) {
  if (const auto r = needSession(port_text::kNotOpened, port_text::kNoSession)) return r;
  if (const auto e = system_->escape(function)) return systemFailure(kEscapeFailed, e);
  return succeed();
}

std::int32_t TPortControl::ClearBuffers(std::uint32_t flags) {
  if (const auto r = needSession(port_text::kNotOpened, port_text::kNoSession)) return r;
  if (const auto e = system_->purge(flags)) return systemFailure(kClearBuffersFailed, e);
  return succeed();
}

template <typename Body>
std::int32_t TPortControl::withFifoKey(Body&& body) {
  const FifoRules* rules = fifoRulesFor(system_->platform());
  if (rules == nullptr) return silentFailure(kFifoUnsupported, 0);
  std::string_view name = Port;
  if (name.starts_with(kDevicePrefix)) name.remove_prefix(kDevicePrefix.size());
  const std::unique_ptr<DeviceKey> key = GetDeviceKey(name);
  if (!key) return silentFailure(kFifoRegistryFailed, 0);
  const FifoOutcome outcome = body(*rules, *key);
  if (outcome.result < 0) return silentFailure(outcome.result, outcome.error);
  succeed();
  return outcome.result;
}

std::int32_t TPortControl::EnableFIFO(bool on) {
  return withFifoKey(
      [on](const FifoRules& rules, DeviceKey& key) { return rules.enable(key, on); });
}

std::int32_t TPortControl::SetFIFOSize(bool receive, std::int32_t size) {
  const FifoRules* rules = fifoRulesFor(system_->platform());
  if (rules != nullptr && !rules->sizeAllowed(receive, size)) {
    return silentFailure(kFifoSizeNotAllowed, 0);
  }
  return withFifoKey(
      [=](const FifoRules& r, DeviceKey& key) { return r.setSize(key, receive, size); });
}

std::int32_t TPortControl::IsFIFOEnable() {
  return withFifoKey([](const FifoRules& rules, DeviceKey& key) { return rules.isEnabled(key); });
}

std::int32_t TPortControl::GetFIFOSize(bool receive) {
  return withFifoKey(
      [receive](const FifoRules& rules, DeviceKey& key) { return rules.size(key, receive); });
}

void TPortControl::SetTimeout(const T1CommTimeouts& timeouts) {
  Timeout = timeouts;
}

bool TPortControl::SetNumPort(std::string_view name) {
  if (IsOpen()) return false;
  const auto n = comNumber(name);
  if (!n) return false;
  int highest = 0;
  switch (system_->platform()) {
    case PortPlatform::WindowsNT:
      highest = 256;
      break;
    case PortPlatform::Windows9x:
      highest = 9;
      break;
    case PortPlatform::Other:
      return false;
  }
  if (*n < 1 || *n > highest) return false;
  Port.assign(name);
  for (char& c : Port)
    c = asciiUpper(c);
  return true;
}

std::unique_ptr<DeviceKey> TPortControl::GetDeviceKey(std::string_view name) {
  if (classEnumerationRunning()) return nullptr;
  return system_->deviceKey(name);
}

std::int32_t TPortControl::BeginEnumeratePorts() {
  const std::int32_t result = tallowick::BeginEnumeratePorts();
  if (result == kOk) classEnumerationRunning() = true;
  return result;
}

std::string TPortControl::EnumeratePorts() {
  return tallowick::EnumeratePorts();
}

std::int32_t TPortControl::EndEnumeratePorts() {
  classEnumerationRunning() = false;
  return tallowick::EndEnumeratePorts();
}

}  // namespace tallowick
