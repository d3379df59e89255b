// A PortSystem that records what TPortControl asks of it, fails any step on demand,
// serves reads from a queue of incoming bytes, and keeps device keys in memory. Its state
// is shared, so a test can still look at it after the port object is gone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "portcontrol/portcontrol_system.h"

namespace tallowick::testing {

// The steps a test can make fail.
enum class Step {
  Open,
  ReadSettings,
  ReadSettingsAgain,
  WriteSettings,
  SetTimeouts,
  Flush,
  Purge,
  Close,
  Write,
  Read,
  ClearCommError,
  Escape,
  SaveProcess,
  SaveThread,
  RaiseProcess,
  RaiseThread,
  RestoreProcess,
  RestoreThread,
  Lock,
  Unlock,
};

struct MemoryKeyStore {
  // Values by device name, then by value name.
  std::map<std::string, std::map<std::string, RegistryData>> devices;
  std::uint32_t writeError = 0;  // every write fails with it when set
  int keysOpen = 0;
};

struct FakeState {
  PortPlatform platform = PortPlatform::WindowsNT;
  std::map<Step, SystemError> failures;
  std::vector<std::string> calls;  // "open COM3", "purge 15", "tx 41", "write 3", ...
  bool open = false;
  int opens = 0;
  std::string device;
  LineSettings written;
  T1CommTimeouts timeouts;
  int settingsReads = 0;
  std::deque<std::uint8_t> incoming;  // what the next reads return; empty means time-out
  std::vector<std::uint8_t> sent;
  std::uint32_t shortWriteBy = 0;          // the one write leaves this many bytes unsent
  std::size_t transmitFailsAt = SIZE_MAX;  // the immediate character after this many fails
  bool processRaised = false;
  bool threadRaised = false;
  bool locked = false;
  std::uint32_t commErrors = 0;
  TComStat comStat;
  MemoryKeyStore keys;
  std::vector<std::string> keyLookups;

  SystemError fail(Step step) const {
    const auto f = failures.find(step);
    return f == failures.end() ? 0 : f->second;
  }
};

class MemoryDeviceKey final : public DeviceKey {
 public:
  MemoryDeviceKey(MemoryKeyStore& store, std::string device) : store_(store), device_(device) {
    ++store_.keysOpen;
  }
  ~MemoryDeviceKey() override { --store_.keysOpen; }

  std::uint32_t read(std::string_view name, RegistryData& data) override {
    auto& values = store_.devices[device_];
    const auto found = values.find(std::string(name));
    if (found == values.end()) return 2;  // ERROR_FILE_NOT_FOUND
    data = found->second;
    return 0;
  }
  std::uint32_t write(std::string_view name, const RegistryData& data) override {
    if (store_.writeError) return store_.writeError;
    store_.devices[device_][std::string(name)] = data;
    return 0;
  }

 private:
  MemoryKeyStore& store_;
  std::string device_;
};

class FakePortSystem : public PortSystem {
 public:
  explicit FakePortSystem(std::shared_ptr<FakeState> state) : s_(std::move(state)) {}

  PortPlatform platform() const override { return s_->platform; }
  std::string message(SystemError code) const override {
    return code == 0xBAD ? std::string() : "Fake error " + std::to_string(code);
  }
  SystemError invalidArgument() const override { return 87; }

  SystemError open(const std::string& device) override {
    s_->calls.push_back("open " + device);
    if (const auto e = s_->fail(Step::Open)) return e;
    s_->open = true;
    ++s_->opens;
    s_->device = device;
    return 0;
  }
  bool isOpen() const override { return s_->open; }
  SystemError close() override {
    s_->calls.push_back("close");
    if (const auto e = s_->fail(Step::Close)) return e;
    s_->open = false;
    return 0;
  }
  SystemError readSettings() override {
    s_->calls.push_back("get settings");
    const Step step = s_->settingsReads++ == 0 ? Step::ReadSettings : Step::ReadSettingsAgain;
    return s_->fail(step);
  }
  SystemError writeSettings(const LineSettings& settings) override {
    s_->calls.push_back("set settings");
    if (const auto e = s_->fail(Step::WriteSettings)) return e;
    s_->written = settings;
    return 0;
  }
  SystemError setTimeouts(const T1CommTimeouts& timeouts) override {
    s_->calls.push_back("set timeouts");
    if (const auto e = s_->fail(Step::SetTimeouts)) return e;
    s_->timeouts = timeouts;
    return 0;
  }
  SystemError flush() override {
    s_->calls.push_back("flush");
    return s_->fail(Step::Flush);
  }
  SystemError purge(std::uint32_t flags) override {
    s_->calls.push_back("purge " + std::to_string(flags));
    return s_->fail(Step::Purge);
  }
  SystemError write(const std::uint8_t* data, std::uint32_t count,
                    std::uint32_t& written) override {
    s_->calls.push_back("write " + std::to_string(count));
    written = 0;
    if (const auto e = s_->fail(Step::Write)) return e;
    written = count - std::min(count, s_->shortWriteBy);
    s_->sent.insert(s_->sent.end(), data, data + written);
    return written == count ? 0 : 1121;
  }
  SystemError transmitChar(std::uint8_t byte) override {
    char text[8];
    std::snprintf(text, sizeof text, "tx %02X", byte);
    s_->calls.push_back(text);
    if (s_->sent.size() == s_->transmitFailsAt) return 1117;  // ERROR_IO_DEVICE
    s_->sent.push_back(byte);
    return 0;
  }
  SystemError read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override {
    s_->calls.push_back("read " + std::to_string(count));
    got = 0;
    if (const auto e = s_->fail(Step::Read)) return e;
    while (got < count && !s_->incoming.empty()) {
      buffer[got++] = s_->incoming.front();
      s_->incoming.pop_front();
    }
    return 0;
  }
  SystemError clearCommError(std::uint32_t& errors, TComStat& status) override {
    s_->calls.push_back("clear comm error");
    if (const auto e = s_->fail(Step::ClearCommError)) return e;
    errors = s_->commErrors;
    status = s_->comStat;
    return 0;
  }
  SystemError escape(std::uint32_t function) override {
    s_->calls.push_back("escape " + std::to_string(function));
    return s_->fail(Step::Escape);
  }
  SystemError saveProcessPriority() override { return s_->fail(Step::SaveProcess); }
  SystemError saveThreadPriority() override { return s_->fail(Step::SaveThread); }
  SystemError raiseProcessPriority() override {
    if (const auto e = s_->fail(Step::RaiseProcess)) return e;
    s_->processRaised = true;
    return 0;
  }
  SystemError raiseThreadPriority() override {
    if (const auto e = s_->fail(Step::RaiseThread)) return e;
    s_->threadRaised = true;
    return 0;
  }
  SystemError restoreProcessPriority() override {
    if (const auto e = s_->fail(Step::RestoreProcess)) return e;
    s_->processRaised = false;
    return 0;
  }
  SystemError restoreThreadPriority() override {
    if (const auto e = s_->fail(Step::RestoreThread)) return e;
    s_->threadRaised = false;
    return 0;
  }
  SystemError lockCode() override {
    if (const auto e = s_->fail(Step::Lock)) return e;
    s_->locked = true;
    return 0;
  }
  SystemError unlockCode() override {
    if (const auto e = s_->fail(Step::Unlock)) return e;
    s_->locked = false;
    return 0;
  }
  std::unique_ptr<DeviceKey> deviceKey(std::string_view name) override {
    s_->keyLookups.emplace_back(name);
    for (const auto& [device, values] : s_->keys.devices) {
      if (device == name) return std::make_unique<MemoryDeviceKey>(s_->keys, device);
    }
    return nullptr;
  }

 private:
  std::shared_ptr<FakeState> s_;
};

}  // namespace tallowick::testing
