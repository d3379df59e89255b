// How a port's UART FIFO settings are kept in its device key: as DWORD values on
// Windows NT, as bits and bytes of the binary value "settings" on Windows 95/98. The
// platform chooses the rules in fifoRulesFor(), and nowhere else.
#pragma once

#include <cstdint>

#include "portcontrol/portcontrol.h"

namespace tallowick {

// A value (a size, 1 or 0) or 0 for a write, or port_result::kFifoRegistryFailed with
// the registry's error (0 when the value was there but unusable).
struct FifoOutcome {
  std::int32_t result = 0;
  std::uint32_t error = 0;
};

class FifoRules {
 public:
  virtual ~FifoRules() = default;
  virtual bool sizeAllowed(bool receive, std::int32_t size) const = 0;
  virtual FifoOutcome enable(DeviceKey& key, bool on) const = 0;
  // The size must be allowed.
  virtual FifoOutcome setSize(DeviceKey& key, bool receive, std::int32_t size) const = 0;
  virtual FifoOutcome isEnabled(DeviceKey& key) const = 0;
  virtual FifoOutcome size(DeviceKey& key, bool receive) const = 0;
};

// The rules of the platform; null where FIFO settings are not kept in this way.
const FifoRules* fifoRulesFor(PortPlatform platform);

}  // namespace tallowick
