#include "app/gui_app.h"

#include <QApplication>
#include <QByteArray>
#include <iostream>

#include "app/gui_options.h"
#include "gui/program.h"

namespace tallowick {

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
  // The store reads the variable when it is made, so the option has to be set before.
  if (options.registry) qputenv("TALLOWICK_REGISTRY", QByteArray(options.registry->c_str()));

  std::vector<std::string> toolkitArgs = options.toolkitArgs;
  std::vector<char*> qtArgv{argv[0]};
  for (std::string& a : toolkitArgs)
    qtArgv.push_back(a.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(qtArgv.size()) - 1;

  QApplication app(qtArgc, qtArgv.data());
  QApplication::setApplicationName(QStringLiteral("Tallowick"));
  // TForm3 closes itself when the program is to end; its dialogs closing must not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  gui::ProgramOptions programOptions;
  programOptions.simulatedModel = options.simulate;
  programOptions.programPath = QApplication::applicationFilePath().toStdString();
  gui::Program program(std::move(programOptions));
  program.start();
  if (started) started();
  return app.exec();
}

}  // namespace tallowick
