// Why something could not be done, as a sentence for the user. A function that may fail
// and gives nothing back otherwise returns std::optional<Failure>: nothing when it
// succeeded. A std::optional<std::string> is then always a text that may be missing, never
// an error.
#pragma once

#include <string>

namespace tallowick {

struct Failure {
  std::string message;

  bool operator==(const Failure&) const = default;
};

}  // namespace tallowick
