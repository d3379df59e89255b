// Shorthands for the stage files: the outcome texts of a step in the forms the script uses.
#pragma once

#include <string>

#include "commands/commands.h"
#include "mainform/step_outcome.h"

namespace tallowick::steps {

inline constexpr const char* kPw = kDevicePassword;

// T, E and S: a failure aborts, an argument error logs E and is counted.
inline LoggedStep texts(std::string T, std::string E, std::string S) {
  return {.T = std::move(T), .E = std::move(E), .S = std::move(S)};
}

// No result lines at all: only the message boxes of a failure.
inline LoggedStep quiet(std::string T, std::string E, bool indicator = false) {
  LoggedStep o{.T = std::move(T), .E = std::move(E), .indicator = indicator};
  o.lines = ResultLines::None;
  o.onArgError = OnArgError::Ignore;
  return o;
}

// A printer error shows its box, is counted, and the script goes on.
inline LoggedStep counted(std::string T, std::string E, std::string S) {
  LoggedStep o = texts(std::move(T), std::move(E), std::move(S));
  o.onError = OnFailure::CountAndContinue;
  return o;
}

}  // namespace tallowick::steps
