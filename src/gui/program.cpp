#include "gui/program.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>

#include "line/line_keeper.h"
#include "platform/system.h"
#include "portcontrol/port_enumeration.h"

namespace tallowick::gui {
namespace {

sim::PrinterSettings simulatedSettings(const std::string& model) {
  sim::PrinterSettings settings;
  if (!model.empty()) settings.model = sim::reportedModel(model);
  return settings;
}

}  // namespace

template <typename W, typename... Args>
std::unique_ptr<W> Program::create(Args&&... args) {
  auto window = std::make_unique<W>(std::forward<Args>(args)...);
  creationOrder_ << window->objectName();
  return window;
}

Program::Program(ProgramOptions options)
    : options_(std::move(options)),
      dialogs_(options_.dialogs ? *options_.dialogs : modalDialogs_),
      clock_(options_.clock ? *options_.clock : realClock()),
      store_(options_.store ? std::move(options_.store) : makePlatformSerialStore()) {
  if (options_.simulatedModel) {
    simulated_ =
        std::make_unique<sim::SimulatedPort>(clock_, simulatedSettings(*options_.simulatedModel));
  }
  link_.setLineFactory([this](const std::string& port) -> std::unique_ptr<SerialLine> {
    if (simulated_ && sim::SimulatedPort::isSimulatedName(port)) return simulated_->makeLine(port);
    return makePlatformSerialLine();
  });

  const auto endProgram = [this] {
    if (options_.endProgram) {
      options_.endProgram();
    } else {
      // exit() rather than quit(): quit() first asks every window to close, and the
      // windows without a close box refuse.
      QCoreApplication::exit(0);
    }
  };
  if (!options_.line.database.empty()) joinLine();
  form3_ = create<TForm3>(
      *store_, options_.programPath, dialogs_, [this] { form1_->exec(); }, endProgram);
  if (station_) {
    form3_->joinLine(*station_);
    numbers_ = std::make_unique<line::LineKeeper>(*station_);
  } else {
    numbers_ = std::make_unique<BookKeeper>(form3_->book());
  }
  form4_ = create<TForm4>(selector_, *numbers_, dialogs_);
  MainWindowLinks links;
  links.ports = [this] { return ports(); };
  links.stablePorts = options_.stablePorts;
  if (!links.stablePorts && !options_.platformPorts)
    links.stablePorts = [] { return stablePortNames(); };
  links.preselectedPort = options_.port;
  links.book = &form3_->book();
  links.selector = &selector_;
  links.numbers = numbers_.get();
  links.showForm2 = [this] { return form2_->showModal(); };
  links.showForm4 = [this] {
    form4_->showModal();
    // TForm3 shows the lists that the confirmation changed.
    form3_->showBook();
  };
  links.terminate = endProgram;
  links.journal = journal_.get();
  links.station = station_.get();
  links.stationRunner = options_.stationRunner;
  links.settings = options_.settings;
  if (options_.historyFile) {
    links.historyFile = [file = *options_.historyFile]() -> StoreResult<std::filesystem::path> {
      return file;
    };
  }
  form1_ = create<TForm1>(commands_, clock_, dialogs_, std::move(links));
  selector_.attach(form1_->serialSelector());
  form2_ = create<TForm2>(dialogs_);

  // Logging out during a test run: the run is stopped (if the user agrees) before the
  // program ends, instead of being cut off in the middle of a command.
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QObject::connect(app, &QGuiApplication::commitDataRequest, form1_.get(),
                     [this](QSessionManager& manager) {
                       if (!form1_->sequenceRunning()) return;
                       const bool mayAsk = manager.allowsInteraction();
                       const bool ending = form1_->endRequested(mayAsk);
                       if (mayAsk) manager.release();
                       if (!ending) manager.cancel();
                     });
  }
}

Program::~Program() {
  // What the last runs recorded gets one more chance to reach the line, if it was there.
  if (station_) station_->stopWorker(true);
}

void Program::joinLine() {
  journal_ = std::make_unique<history::Journal>(
      options_.historyFile ? StoreResult<std::filesystem::path>(*options_.historyFile)
                           : platform::dataFile(platform::DataFile::History));
  // Without a place for its history the station has no outbox either, and works alone.
  if (!journal_->store()) return;
  station_ = std::make_unique<line::Station>(options_.line, *journal_->store());
  journal_->joinLine(options_.line.station, [station = station_.get()] { station->wake(); });
  station_->startWorker();
}

void Program::start() {
  form3_->show();
}

std::vector<std::string> Program::ports() {
  if (!options_.platformPorts) return portSelectorItems(simulated_ != nullptr);
  std::vector<std::string> names;
  if (simulated_) names.emplace_back(sim::SimulatedPort::kPortName);
  for (std::string& name : options_.platformPorts())
    names.push_back(std::move(name));
  return names;
}

}  // namespace tallowick::gui
