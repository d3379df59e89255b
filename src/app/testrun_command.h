// tallowick-cli testrun: the automatic test on one port, or on several ports at once.
#pragma once

#include <memory>

#include "app/cli_command.h"

namespace tallowick {

std::unique_ptr<Command> makeTestRunCommand();

}  // namespace tallowick
