// tallowick-cli testrun: the automatic test on one port, or on several ports at once.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/cli.h"

namespace tallowick {

int runTestRunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const CliContext& context);

}  // namespace tallowick
