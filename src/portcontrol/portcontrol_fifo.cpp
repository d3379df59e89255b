#include "portcontrol/portcontrol_fifo.h"

#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "portcontrol/portcontrol_results.h"

namespace tallowick {
namespace {

constexpr std::int32_t kFailed = port_result::kFifoRegistryFailed;

FifoOutcome failed(std::uint32_t error = 0) {
  return {kFailed, error};
}

// Receive FIFOs trigger at 1, 4, 8 or 14 bytes on every platform.
bool receiveSizeAllowed(std::int32_t size) {
  return size == 1 || size == 4 || size == 8 || size == 14;
}

// Windows NT: one DWORD value per setting.
class NtFifoRules final : public FifoRules {
 public:
  bool sizeAllowed(bool receive, std::int32_t size) const override {
    return receive ? receiveSizeAllowed(size) : size >= 1 && size <= 16;
  }

  FifoOutcome enable(DeviceKey& key, bool on) const override {
    return writeDword(key, "ForceFifoEnable", on ? 1 : 0);
  }

  FifoOutcome setSize(DeviceKey& key, bool receive, std::int32_t size) const override {
    return writeDword(key, sizeName(receive), static_cast<std::uint32_t>(size));
  }

  FifoOutcome isEnabled(DeviceKey& key) const override { return readDword(key, "ForceFifoEnable"); }

  FifoOutcome size(DeviceKey& key, bool receive) const override {
    return readDword(key, sizeName(receive));
  }

 private:
  static std::string_view sizeName(bool receive) { return receive ? "RxFIFO" : "TxFIFO"; }

  static FifoOutcome writeDword(DeviceKey& key, std::string_view name, std::uint32_t value) {
    RegistryData data{kRegDword, std::vector<std::uint8_t>(sizeof value)};
    std::memcpy(data.bytes.data(), &value, sizeof value);
    if (const auto error = key.write(name, data)) return failed(error);
    return {};
  }

  // A value that is no DWORD, or too large to tell apart from a result code, is unusable.
  static FifoOutcome readDword(DeviceKey& key, std::string_view name) {
    RegistryData data;
    if (const auto error = key.read(name, data)) return failed(error);
    std::uint32_t value = 0;
    if (data.type != kRegDword || data.bytes.size() != sizeof value) return failed();
    std::memcpy(&value, data.bytes.data(), sizeof value);
    if (value > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
      return failed();
    }
    return {static_cast<std::int32_t>(value), 0};
  }
};

// Windows 95/98: bits and bytes of the binary value "settings": bit 1 of byte 0 turns
// the FIFO on, byte 1 codes the transmit size and byte 3 the receive trigger level.
class Win9xFifoRules final : public FifoRules {
 public:
  bool sizeAllowed(bool receive, std::int32_t size) const override {
    return receive ? receiveSizeAllowed(size) : code(kTransmit, size).has_value();
  }

  FifoOutcome enable(DeviceKey& key, bool on) const override {
    return change(key, kEnableByte, [on](std::uint8_t& byte) {
      byte = static_cast<std::uint8_t>(on ? byte | kEnableBit : byte & ~kEnableBit);
    });
  }

  FifoOutcome setSize(DeviceKey& key, bool receive, std::int32_t size) const override {
    const auto& table = receive ? kReceive : kTransmit;
    const auto coded = code(table, size);
    if (!coded) return failed();
    return change(key, receive ? kReceiveByte : kTransmitByte,
                  [&](std::uint8_t& byte) { byte = *coded; });
  }

  FifoOutcome isEnabled(DeviceKey& key) const override {
    RegistryData data;
    if (const auto error = key.read(kValue, data)) return failed(error);
    if (data.bytes.size() <= kEnableByte) return failed();
    return {(data.bytes[kEnableByte] & kEnableBit) != 0 ? 1 : 0, 0};
  }

  FifoOutcome size(DeviceKey& key, bool receive) const override {
    RegistryData data;
    if (const auto error = key.read(kValue, data)) return failed(error);
    const std::size_t at = receive ? kReceiveByte : kTransmitByte;
    if (data.bytes.size() <= at) return failed();
    for (const auto& [size, coded] : receive ? kReceive : kTransmit) {
      if (coded == data.bytes[at]) return {size, 0};
    }
    return failed();
  }

 private:
  struct SizeCode {
    std::int32_t size;
    std::uint8_t code;
  };
  using SizeTable = std::array<SizeCode, 4>;

  static constexpr std::string_view kValue = "settings";
  static constexpr std::size_t kEnableByte = 0;
  static constexpr std::size_t kTransmitByte = 1;
  static constexpr std::size_t kReceiveByte = 3;
  static constexpr std::uint8_t kEnableBit = 0x02;
  static constexpr SizeTable kReceive{{{1, 0x00}, {4, 0x40}, {8, 0x80}, {14, 0xC0}}};
  static constexpr SizeTable kTransmit{{{1, 1}, {4, 6}, {8, 11}, {16, 16}}};

  static std::optional<std::uint8_t> code(const SizeTable& table, std::int32_t size) {
    for (const auto& entry : table) {
      if (entry.size == size) return entry.code;
    }
    return std::nullopt;
  }

  // Changes one byte and writes the value back with the type and length it was read
  // with; a value too short to hold the byte is left alone.
  template <typename Change>
  static FifoOutcome change(DeviceKey& key, std::size_t at, Change&& change) {
    RegistryData data;
    if (const auto error = key.read(kValue, data)) return failed(error);
    if (data.bytes.size() <= at) return failed();
    change(data.bytes[at]);
    if (const auto error = key.write(kValue, data)) return failed(error);
    return {};
  }
};

}  // namespace

const FifoRules* fifoRulesFor(PortPlatform platform) {
  static const NtFifoRules nt;
  static const Win9xFifoRules win9x;
  switch (platform) {
    case PortPlatform::WindowsNT:
      return &nt;
    case PortPlatform::Windows9x:
      return &win9x;
    case PortPlatform::Other:
      return nullptr;
  }
  return nullptr;
}

}  // namespace tallowick
