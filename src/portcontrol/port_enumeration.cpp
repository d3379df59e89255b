#include "portcontrol/port_enumeration.h"

namespace tallowick {

std::vector<std::string> portSelectorItems(bool withSimulatedPort) {
  std::vector<std::string> items;
  if (withSimulatedPort) items.emplace_back(kSimulatedPortName);
  // The result of the begin is not looked at: a refused one leaves nothing to list.
  BeginEnumeratePorts();
  for (std::string name = EnumeratePorts(); !name.empty() && name != "0"; name = EnumeratePorts()) {
    items.push_back(std::move(name));
  }
  EndEnumeratePorts();
  return items;
}

}  // namespace tallowick
