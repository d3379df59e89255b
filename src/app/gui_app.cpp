#include "app/gui_app.h"

#include <QApplication>
#include <QByteArray>
#include <QLocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/exit_codes.h"
#include "app/gui_options.h"
#include "app/testrun_command.h"
#include "gui/dialog_service.h"
#include "gui/program.h"
#include "gui/translation.h"
#include "line/station.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "sim/virtual_printer.h"

namespace tallowick {
namespace {

std::vector<std::pair<QtMsgType, std::string>>& startupMessages() {
  static std::vector<std::pair<QtMsgType, std::string>> messages;
  return messages;
}

void whileStarting(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) {
    std::cerr << "tallowick: no display to open the windows on (DISPLAY or WAYLAND_DISPLAY "
                 "unset or not reachable); without a display use tallowick-cli\n";
    std::_Exit(kExitPortOrUsage);
  }
  startupMessages().emplace_back(type, text.toStdString());
}

}  // namespace

int runDesktopTool(int argc, char** argv, const std::function<void()>& started) {
  const GuiOptions options = parseGuiOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (options.help) {
    std::cout << kGuiUsage;
    return 0;
  }
  if (!options.error.empty()) {
    std::cerr << "tallowick: " << options.error << "\n" << kGuiUsage;
    return 2;
  }
  if (options.language && !gui::isWindowLanguage(*options.language)) {
    std::cerr << "tallowick: --language takes ru, uk or ro, not '" << *options.language << "'\n"
              << kGuiUsage;
    return 2;
  }
  // The line is chosen before any window: a value that cannot be used ends the program
  // with the reason, as the command line does.
  std::unique_ptr<Settings> settings = computerSettings();
  auto line = line::chooseLine(options.database, options.station, platform::processEnvironment,
                               settings.get());
  if (!line) {
    std::cerr << "tallowick: " << line.error().message << "\n";
    return kExitPortOrUsage;
  }
  // The store reads the variable when it is made, so the option has to be set before.
  if (options.registry) qputenv("TALLOWICK_REGISTRY", QByteArray(options.registry->c_str()));

  std::vector<std::string> toolkitArgs = options.toolkitArgs;
  std::vector<char*> qtArgv{argv[0]};
  for (std::string& a : toolkitArgs)
    qtArgv.push_back(a.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(qtArgv.size()) - 1;

  // Without a display Qt gives up with a fatal message of its own and aborts. The toolkit's
  // messages are held back while it starts, and a fatal one becomes one line and exit code 4.
  startupMessages() = {};
  const QtMessageHandler previous = qInstallMessageHandler(whileStarting);
  QApplication app(qtArgc, qtArgv.data());
  qInstallMessageHandler(previous);
  for (const auto& [type, text] : startupMessages())
    std::cerr << text << "\n";
  QApplication::setApplicationName(QStringLiteral("Tallowick"));
  gui::ModalDialogs dialogs;
  gui::installLanguage(
      gui::startLanguage(options.language, settings.get(), dialogs, QLocale::system().name()));
  // TForm3 closes itself when the program is to end; its dialogs closing must not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  gui::ProgramOptions programOptions;
  programOptions.simulatedModel = options.simulate;
  programOptions.port = options.port;
  if (options.history) programOptions.historyFile = platform::pathOf(*options.history);
  programOptions.programPath = QApplication::applicationFilePath().toStdString();
  programOptions.line = std::move(line).value();
  programOptions.settings = settings.get();
  programOptions.stationRunner = [simulate = options.simulate](history::Journal& journal) {
    CliContext context;
    // The station's "sim" ports are printers of the model the main window's one reports.
    if (simulate && !simulate->empty()) {
      context.prepareSim = [model = sim::reportedModel(*simulate)](sim::VirtualPrinter& printer) {
        printer.settings().model = model;
      };
    }
    return stationRunner(journal, std::move(context));
  };
  gui::Program program(std::move(programOptions));
  program.start();
  if (started) started();
  return app.exec();
}

}  // namespace tallowick
