// The printer's command set: one operation per command, which formats the command's data
// field from typed arguments, checks what must be checked before anything goes out, and
// sends it through the device link. Every operation returns the link's shared record.
#pragma once

#include <cstdint>
#include <string>

#include "link/device_link.h"

namespace tallowick {

// The device password every caller passes as the first data field.
inline constexpr const char* kDevicePassword = "582014";

class CommandSet {
 public:
  explicit CommandSet(DeviceLink& link) : link_(link) {}

  // 80h: model, firmware version and country in Fields[0..2].
  CommandResult* GetDeviceInfo(const std::string& password, std::int32_t* err);

  CommandResult* LastCommandResult() const { return last_; }
  DeviceLink& link() { return link_; }

 private:
  CommandResult* send(std::int32_t code, const std::string& data, std::int32_t* err);

  DeviceLink& link_;
  CommandResult* last_ = nullptr;
};

// The program's command set, over theDeviceLink().
CommandSet& theCommandSet();

}  // namespace tallowick
