// The desktop program: the device link (with the built-in virtual printer when asked for),
// the serial-number store and the four windows, created in the order TForm3, TForm4,
// TForm1, TForm2. TForm3 is the main window and the only one shown at start.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "commands/commands.h"
#include "gui/dialog_service.h"
#include "gui/form1.h"
#include "gui/form2_window.h"
#include "gui/form3_window.h"
#include "gui/form4_window.h"
#include "history/journal.h"
#include "initforms/serial_store.h"
#include "line/station.h"
#include "link/device_link.h"
#include "sim/loopback_line.h"

namespace tallowick::gui {

struct ProgramOptions {
  // The built-in virtual printer is listed as port "sim", reporting this model
  // ("Veltor " is put in front when missing); nothing: no simulated port.
  std::optional<std::string> simulatedModel;
  // Where the serial-number book lives; the platform's store when not given.
  std::unique_ptr<SerialStore> store;
  // The program file that the first run registers.
  std::string programPath;
  // The serial ports of the machine, after "sim" when it is listed; the enumeration of
  // this computer's ports when not given.
  PortLister platformPorts;
  // The stable names of ports; the platform's when neither they nor platformPorts are
  // given, none when only platformPorts is.
  std::function<std::vector<StablePortName>()> stablePorts;
  // `tallowick --history FILE`: where the history of runs lives; Store::defaultFile (the
  // file TALLOWICK_HISTORY names, or the platform's place) when not given.
  std::optional<std::filesystem::path> historyFile;
  // `tallowick --port PATH`: the port selected when the main window opens.
  std::string port;
  // Message boxes and the save dialog; the real modal ones when not given.
  DialogService* dialogs = nullptr;
  // Ends the program (once TForm3 has closed, or when the initialisation is told to end
  // it); leaving every event loop when not given.
  std::function<void()> endProgram;
  // The clock of the link's simulated printer and of the test run's waits.
  Clock* clock = nullptr;
  // The line database and this station's name on it; no database: the station works
  // alone, with its own book and history.
  line::LineChoice line;
  // The station window's runs, recorded in the journal given; none: no station window.
  std::function<StationRunner(history::Journal&)> stationRunner;
  // The computer's settings (the station window keeps the folder of its logs there).
  Settings* settings = nullptr;
};

class Program {
 public:
  explicit Program(ProgramOptions options);
  ~Program();

  // Shows TForm3.
  void start();

  TForm3& form3() { return *form3_; }
  TForm4& form4() { return *form4_; }
  TForm1& form1() { return *form1_; }
  TForm2& form2() { return *form2_; }
  // The object names of the windows in the order they were created.
  const QStringList& creationOrder() const { return creationOrder_; }
  sim::SimulatedPort* simulatedPort() { return simulated_.get(); }
  // This station on the line; none when it works alone.
  line::Station* station() { return station_.get(); }
  DeviceLink& link() { return link_; }

 private:
  template <typename W, typename... Args>
  std::unique_ptr<W> create(Args&&... args);
  std::vector<std::string> ports();
  // On a line: the journal made here rather than by TForm1, so that the station forwards
  // from its outbox, and the station's worker started.
  void joinLine();

  ProgramOptions options_;
  ModalDialogs modalDialogs_;
  DialogService& dialogs_;
  Clock& clock_;
  std::unique_ptr<sim::SimulatedPort> simulated_;
  DeviceLink link_;
  CommandSet commands_{link_};
  std::unique_ptr<SerialStore> store_;
  std::unique_ptr<history::Journal> journal_;
  std::unique_ptr<line::Station> station_;
  ComboBoxSelector selector_;
  // Where the numbers written into printers are accounted for.
  std::unique_ptr<NumberKeeper> numbers_;
  QStringList creationOrder_;

  std::unique_ptr<TForm3> form3_;
  std::unique_ptr<TForm4> form4_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
};

}  // namespace tallowick::gui
