// tallowick-cli book: the book of factory serial numbers from the command line, as the
// book window keeps it: its two lists shown, a range added, a number confirmed as used or
// released again. The station's own book, or the line's when a line database is set.
#pragma once

#include <memory>

#include "app/cli_command.h"

namespace tallowick {

std::unique_ptr<Command> makeBookCommand();

}  // namespace tallowick
