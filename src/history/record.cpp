#include "history/record.h"

#include <array>
#include <utility>

namespace tallowick::history {

namespace {

template <typename E, std::size_t N>
using Keys = std::array<std::pair<E, std::string_view>, N>;

constexpr Keys<Kind, 2> kKinds{{{Kind::TestRun, "testrun"}, {Kind::Initialisation, "init"}}};
constexpr Keys<Outcome, 5> kOutcomes{{
    {Outcome::Finished, "finished"},
    {Outcome::FinishedWithErrors, "finished_with_errors"},
    {Outcome::Aborted, "aborted"},
    {Outcome::Stopped, "stopped"},
    {Outcome::InputRefused, "input_refused"},
}};
constexpr Keys<StepResult, 6> kStepResults{{
    {StepResult::Success, "success"},
    {StepResult::ArgumentError, "argument_error"},
    {StepResult::NoReply, "no_reply"},
    {StepResult::PrinterError, "printer_error"},
    {StepResult::Stopped, "stopped"},
    {StepResult::Aborted, "aborted"},
}};

template <typename E, std::size_t N>
std::string_view keyOf(const Keys<E, N>& keys, E value) {
  for (const auto& [v, key] : keys) {
    if (v == value) return key;
  }
  return "";
}

template <typename E, std::size_t N>
std::optional<E> valueOf(const Keys<E, N>& keys, std::string_view key) {
  for (const auto& [v, k] : keys) {
    if (k == key) return v;
  }
  return std::nullopt;
}

}  // namespace

std::string_view kindKey(Kind kind) {
  return keyOf(kKinds, kind);
}
std::string_view outcomeKey(Outcome outcome) {
  return keyOf(kOutcomes, outcome);
}
std::string_view stepResultKey(StepResult result) {
  return keyOf(kStepResults, result);
}
std::optional<Kind> kindFromKey(std::string_view key) {
  return valueOf(kKinds, key);
}
std::optional<Outcome> outcomeFromKey(std::string_view key) {
  return valueOf(kOutcomes, key);
}
std::optional<StepResult> stepResultFromKey(std::string_view key) {
  return valueOf(kStepResults, key);
}

std::array<NamedText, 8> describingTexts(const Record& r) {
  return {{{"computer", &r.computer},
           {"port", &r.port},
           {"model", &r.model},
           {"firmware", &r.firmware},
           {"country", &r.country},
           {"serial_number", &r.serialNumber},
           {"passes", &r.passes},
           {"pause_ms", &r.pauseMs}}};
}

Outcome outcomeOf(const RunOutcome& run) {
  switch (run.end) {
    case RunEnd::InputRefused:
      return Outcome::InputRefused;
    case RunEnd::Finished:
      return run.errorsCounted == 0 ? Outcome::Finished : Outcome::FinishedWithErrors;
    case RunEnd::Stopped:
      return Outcome::Stopped;
    case RunEnd::Aborted:
      return Outcome::Aborted;
  }
  return Outcome::Aborted;
}

}  // namespace tallowick::history
