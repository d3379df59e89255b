// What the benchmarks that drive the desktop tool share: message boxes and questions
// answered at once instead of shown, widgets found by their names, and the program as
// `tallowick --simulate` builds it, on a book and a history in the benchmark's folder.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/program.h"
#include "initforms/sqlite_serial_store.h"

namespace tallowick::bench {

struct QuietDialogs final : gui::DialogService {
  int boxes = 0;
  void messageBox(QWidget*, const QString&) override { ++boxes; }
  bool question(QWidget*, const QString&) override { return true; }
  std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override {
    return std::nullopt;
  }
  // The folder of the station window's logs.
  std::optional<QString> chosenFolder;
  std::optional<QString> folder(QWidget*, const QString&, const QString&) override {
    return chosenFolder;
  }
};

template <typename W>
W* find(QWidget* parent, const char* name) {
  return parent->findChild<W*>(QString::fromLatin1(name));
}

// The desktop tool with the built-in virtual printer at real time and no port of the
// machine, its book and its history in `dir`.
inline gui::ProgramOptions simulatedDesktop(const std::filesystem::path& dir,
                                            gui::DialogService& dialogs) {
  gui::ProgramOptions options;
  options.simulatedModel = std::string();
  options.store = std::make_unique<SqliteSerialStore>(dir / "registry.sqlite3");
  options.programPath = "tallowick";
  options.dialogs = &dialogs;
  options.endProgram = [] {};
  options.platformPorts = [] { return std::vector<std::string>{}; };
  options.historyFile = dir / "history.sqlite3";
  return options;
}

}  // namespace tallowick::bench
