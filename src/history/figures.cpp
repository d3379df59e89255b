#include "history/figures.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <nlohmann/json.hpp>
#include <unordered_map>

#include "history/exports.h"

namespace tallowick::history {

namespace {

bool passed(const RunFacts& f) {
  return f.outcome == Outcome::Finished && f.errorCount == 0;
}
bool failed(const RunFacts& f) {
  return f.outcome == Outcome::FinishedWithErrors || f.outcome == Outcome::Aborted;
}
bool reachedItsEnd(const RunFacts& f) {
  return f.outcome == Outcome::Finished || f.outcome == Outcome::FinishedWithErrors;
}

std::optional<double> ratio(std::size_t part, std::size_t whole) {
  if (whole == 0) return std::nullopt;
  return static_cast<double>(part) / static_cast<double>(whole);
}

// The value at rank ceil(percent/100 × n) of `sorted`, which is not empty.
std::int64_t nearestRank(const std::vector<std::int64_t>& sorted, std::size_t percent) {
  const std::size_t rank = (percent * sorted.size() + 99) / 100;
  return sorted[std::max<std::size_t>(rank, 1) - 1];
}

void countInitialisation(Initialisations& counts, Outcome outcome) {
  ++counts.total;
  counts.done += outcome == Outcome::Finished ? 1 : 0;
  counts.failed += outcome == Outcome::Aborted ? 1 : 0;
}

// The Pareto of the failures: most first, then by title, no title last among equals.
std::vector<StepFailures> pareto(const std::map<std::optional<std::string_view>, std::size_t>& by,
                                 std::size_t failedRuns) {
  std::vector<StepFailures> rows;
  for (const auto& [step, runs] : by) {
    rows.push_back({step ? std::optional<std::string>(*step) : std::nullopt, runs, 0, 0});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const StepFailures& a, const StepFailures& b) {
    if (a.runs != b.runs) return a.runs > b.runs;
    return a.step.has_value() && !b.step.has_value();
  });
  std::size_t above = 0;
  for (StepFailures& row : rows) {
    above += row.runs;
    row.share = *ratio(row.runs, failedRuns);
    row.cumulative = *ratio(above, failedRuns);
  }
  return rows;
}

// The figures of records in the order they started.
Figures count(const std::vector<const RunFacts*>& records, std::string group) {
  Figures fig;
  fig.group = std::move(group);
  struct Printer {
    bool firstPassed;
    bool lastPassed;
  };
  std::unordered_map<std::string_view, Printer> printers;
  // Ordered by title, nothing first; pareto() sorts them by count.
  std::map<std::optional<std::string_view>, std::size_t> failures;
  std::vector<std::int64_t> durations;
  std::map<std::string_view, Initialisations> initialisations;
  for (const RunFacts* f : records) {
    if (f->kind == Kind::Initialisation) {
      countInitialisation(fig.initialisations, f->outcome);
      countInitialisation(initialisations[f->model], f->outcome);
      continue;
    }
    if (f->outcome == Outcome::InputRefused) {
      ++fig.runsRefused;
      continue;
    }
    ++fig.runs;
    const bool pass = passed(*f);
    if (f->serialNumber.empty()) {
      ++fig.runsWithoutSerial;
    } else {
      auto [printer, first] = printers.try_emplace(f->serialNumber, Printer{pass, pass});
      printer->second.lastPassed = pass;
    }
    if (failed(*f)) {
      ++fig.failedRuns;
      ++failures[f->failedStep ? std::optional<std::string_view>(*f->failedStep) : std::nullopt];
    }
    if (reachedItsEnd(*f)) durations.push_back(f->durationMs);
  }

  fig.printers = printers.size();
  for (const auto& [serial, printer] : printers) {
    fig.firstPassPrinters += printer.firstPassed ? 1 : 0;
    fig.finalPassPrinters += printer.lastPassed ? 1 : 0;
  }
  fig.runsPerPrinter = ratio(fig.runs - fig.runsWithoutSerial, fig.printers);
  fig.firstPassYield = ratio(fig.firstPassPrinters, fig.printers);
  fig.finalYield = ratio(fig.finalPassPrinters, fig.printers);
  fig.failuresByStep = pareto(failures, fig.failedRuns);
  fig.finishedRuns = durations.size();
  if (!durations.empty()) {
    std::sort(durations.begin(), durations.end());
    fig.medianDurationMs = nearestRank(durations, 50);
    fig.p90DurationMs = nearestRank(durations, 90);
  }
  for (const auto& [model, counts] : initialisations)
    fig.initialisationsByModel.push_back({std::string(model), counts});
  return fig;
}

// The day a record started on its own clock, counted from 1970-01-01.
std::int64_t dayOf(const RunFacts& f) {
  constexpr std::int64_t kDayMs = 86'400'000;
  const std::int64_t local = f.startedAtMs + std::int64_t{f.utcOffsetMinutes} * 60'000;
  return local / kDayMs - (local % kDayMs < 0 ? 1 : 0);
}

// ---- Written for other programs ----

using Json = nlohmann::ordered_json;

Json orNull(const std::optional<double>& value) {
  return value ? Json(*value) : Json(nullptr);
}
Json orNull(const std::optional<std::int64_t>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json countsJson(const Initialisations& c) {
  return {{"total", c.total}, {"done", c.done}, {"failed", c.failed}};
}

Json figuresJson(const Figures& f, bool grouped) {
  Json j;
  if (grouped) j["group"] = f.group;
  j["printers"] = f.printers;
  j["runs"] = f.runs;
  j["runs_without_serial"] = f.runsWithoutSerial;
  j["runs_refused"] = f.runsRefused;
  j["runs_per_printer"] = orNull(f.runsPerPrinter);
  j["first_pass_printers"] = f.firstPassPrinters;
  j["first_pass_yield"] = orNull(f.firstPassYield);
  j["final_pass_printers"] = f.finalPassPrinters;
  j["final_yield"] = orNull(f.finalYield);
  j["failed_runs"] = f.failedRuns;
  Json steps = Json::array();
  for (const StepFailures& s : f.failuresByStep) {
    steps.push_back({{"step", s.step ? Json(*s.step) : Json(nullptr)},
                     {"runs", s.runs},
                     {"share", s.share},
                     {"cumulative_share", s.cumulative}});
  }
  j["failures_by_step"] = std::move(steps);
  j["finished_runs"] = f.finishedRuns;
  j["duration_median_ms"] = orNull(f.medianDurationMs);
  j["duration_p90_ms"] = orNull(f.p90DurationMs);
  Json initialisations = countsJson(f.initialisations);
  Json byModel = Json::array();
  for (const ModelInitialisations& m : f.initialisationsByModel) {
    Json model = {{"model", m.model}};
    model.update(countsJson(m.counts));
    byModel.push_back(std::move(model));
  }
  initialisations["by_model"] = std::move(byModel);
  j["initialisations"] = std::move(initialisations);
  return j;
}

void writeJson(const FiguresReport& report, std::ostream& out) {
  const bool grouped = report.by != Grouping::None;
  Json all;
  all["by"] = grouped ? Json(groupingName(report.by)) : Json(nullptr);
  all["whole"] = figuresJson(report.whole, false);
  Json groups = Json::array();
  for (const Figures& f : report.groups)
    groups.push_back(figuresJson(f, true));
  all["groups"] = std::move(groups);
  out << all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

std::string number(double value) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc{} ? std::string(text, end) : std::string();
}
std::string number(std::size_t value) {
  return std::to_string(value);
}
std::string number(std::int64_t value) {
  return std::to_string(value);
}
template <typename T>
std::string number(const std::optional<T>& value) {
  return value ? number(*value) : std::string();
}

void writeCsvRows(const Figures& f, std::string_view by, std::ostream& out) {
  const auto row = [&](std::string_view figure, std::string_view item, const std::string& value) {
    out << by << ',' << csvField(f.group) << ',' << figure << ',' << csvField(item) << ',' << value
        << "\r\n";
  };
  row("printers", "", number(f.printers));
  row("runs", "", number(f.runs));
  row("runs_without_serial", "", number(f.runsWithoutSerial));
  row("runs_refused", "", number(f.runsRefused));
  row("runs_per_printer", "", number(f.runsPerPrinter));
  row("first_pass_printers", "", number(f.firstPassPrinters));
  row("first_pass_yield", "", number(f.firstPassYield));
  row("final_pass_printers", "", number(f.finalPassPrinters));
  row("final_yield", "", number(f.finalYield));
  row("failed_runs", "", number(f.failedRuns));
  for (const StepFailures& s : f.failuresByStep) {
    const std::string_view step = s.step ? std::string_view(*s.step) : std::string_view();
    row("step_failures", step, number(s.runs));
    row("step_failure_share", step, number(s.share));
    row("step_failure_cumulative_share", step, number(s.cumulative));
  }
  row("finished_runs", "", number(f.finishedRuns));
  row("duration_median_ms", "", number(f.medianDurationMs));
  row("duration_p90_ms", "", number(f.p90DurationMs));
  const auto counts = [&](std::string_view model, const Initialisations& c) {
    row("initialisations", model, number(c.total));
    row("initialisations_done", model, number(c.done));
    row("initialisations_failed", model, number(c.failed));
  };
  counts("", f.initialisations);
  for (const ModelInitialisations& m : f.initialisationsByModel)
    counts(m.model, m.counts);
}

void writeCsv(const FiguresReport& report, std::ostream& out) {
  out << kCsvStart << "group_by,group,figure,item,value\r\n";
  writeCsvRows(report.whole, "all", out);
  for (const Figures& f : report.groups)
    writeCsvRows(f, groupingName(report.by), out);
}

}  // namespace

std::optional<Grouping> groupingFromName(std::string_view name) {
  for (const Grouping g : {Grouping::Day, Grouping::Model, Grouping::Station}) {
    if (groupingName(g) == name) return g;
  }
  return std::nullopt;
}

std::string_view groupingName(Grouping grouping) {
  switch (grouping) {
    case Grouping::None:
      return "";
    case Grouping::Day:
      return "day";
    case Grouping::Model:
      return "model";
    case Grouping::Station:
      return "station";
  }
  return "";
}

FiguresReport countFigures(const std::vector<RunFacts>& facts, Grouping by) {
  std::vector<const RunFacts*> started;
  started.reserve(facts.size());
  for (const RunFacts& f : facts)
    started.push_back(&f);
  std::sort(started.begin(), started.end(), [](const RunFacts* a, const RunFacts* b) {
    return a->startedAtMs != b->startedAtMs ? a->startedAtMs < b->startedAtMs : a->id < b->id;
  });
  FiguresReport report{by, count(started, {}), {}};
  if (by == Grouping::None) return report;

  // Keyed by text: days written "2026-12-07" sort in time order.
  std::map<std::string, std::vector<const RunFacts*>> groups;
  std::optional<std::int64_t> lastDay;
  std::vector<const RunFacts*>* lastDayGroup = nullptr;
  for (const RunFacts* f : started) {
    switch (by) {
      case Grouping::Day: {
        // Records come in time order: a day's text is made once for each run of its records.
        const std::int64_t day = dayOf(*f);
        if (day != lastDay) {
          lastDay = day;
          lastDayGroup = &groups[localDateText(f->startedAtMs, f->utcOffsetMinutes)];
        }
        lastDayGroup->push_back(f);
        break;
      }
      case Grouping::Model:
        groups[f->model].push_back(f);
        break;
      case Grouping::Station:
        groups[f->station].push_back(f);
        break;
      case Grouping::None:
        break;
    }
  }
  for (auto& [key, records] : groups)
    report.groups.push_back(count(records, key));
  return report;
}

void writeFigures(FiguresFormat format, const FiguresReport& report, std::ostream& out) {
  if (format == FiguresFormat::Csv) {
    writeCsv(report, out);
  } else {
    writeJson(report, out);
  }
}

}  // namespace tallowick::history
