#include "history/record.h"

#include <array>
#include <utility>

#include "platform/own_text.h"

namespace tallowick::history {

namespace {

template <typename E, std::size_t N>
using Keys = std::array<std::pair<E, std::string_view>, N>;

#define TALLOWICK_KIND_KEY(name, key) std::pair{Kind::name, std::string_view(key)},
#define TALLOWICK_OUTCOME_KEY(name, key) std::pair{Outcome::name, std::string_view(key)},
#define TALLOWICK_STEP_RESULT_KEY(name, key) std::pair{StepResult::name, std::string_view(key)},

constexpr std::array kKinds{TALLOWICK_HISTORY_KINDS(TALLOWICK_KIND_KEY)};
constexpr std::array kOutcomes{TALLOWICK_HISTORY_OUTCOMES(TALLOWICK_OUTCOME_KEY)};
constexpr std::array kStepResults{TALLOWICK_STEP_RESULTS(TALLOWICK_STEP_RESULT_KEY)};

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

std::array<NamedText, 10> describingTexts(const Record& r) {
  return {{{"station", &r.station},
           {"computer", &r.computer},
           {"user", &r.user},
           {"port", &r.port},
           {"model", &r.model},
           {"firmware", &r.firmware},
           {"country", &r.country},
           {"serial_number", &r.serialNumber},
           {"passes", &r.passes},
           {"pause_ms", &r.pauseMs}}};
}

const char* outcomeWords(Outcome outcome) {
  switch (outcome) {
    case Outcome::Finished:
      return Text::own("Завершен");
    case Outcome::FinishedWithErrors:
      return Text::own("Завершен с ошибками");
    case Outcome::Aborted:
      return Text::own("Прерван");
    case Outcome::Stopped:
      return Text::own("Остановлен");
    case Outcome::InputRefused:
      return Text::own("Ввод отклонен");
  }
  return "";
}

std::string_view languageOf(const Record& r) {
  return r.language.empty() ? std::string_view("ru") : std::string_view(r.language);
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

std::optional<std::string> firstText(const Record& r,
                                     const std::function<bool(std::string_view)>& bad) {
  if (bad(r.uid)) return "поле uid";
  if (bad(r.station)) return "поле station";
  for (const auto& [name, text] : describingTexts(r)) {
    if (bad(*text)) return std::string("поле ") + name;
  }
  if (bad(r.message)) return "поле message";
  for (std::size_t i = 0; i < r.log.size(); ++i) {
    if (bad(r.log[i])) return "строка " + std::to_string(i + 1) + " журнала";
  }
  for (std::size_t i = 0; i < r.steps.size(); ++i) {
    const StepReport& s = r.steps[i];
    if (bad(s.title) || bad(s.code) || bad(s.message)) return "шаг " + std::to_string(i + 1);
  }
  return std::nullopt;
}

}  // namespace tallowick::history
