// Windows only: a registry key as the DeviceKey that the FIFO settings are read from and
// written to.
#pragma once

#include <windows.h>

#include <memory>

#include "portcontrol/portcontrol.h"

namespace tallowick {

// Takes over an open key; the DeviceKey closes it.
std::unique_ptr<DeviceKey> adoptRegistryKey(HKEY key);

}  // namespace tallowick
