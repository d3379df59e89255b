#include "commands/commands.h"

namespace tallowick {

CommandResult* CommandSet::send(std::int32_t code, const std::string& data, std::int32_t* err) {
  if (err) *err = 0;
  last_ = link_.SendCommand(code, data);
  return last_;
}

CommandResult* CommandSet::GetDeviceInfo(const std::string& password, std::int32_t* err) {
  return send(0x80, password + ";", err);
}

CommandSet& theCommandSet() {
  static CommandSet commands(theDeviceLink());
  return commands;
}

}  // namespace tallowick
