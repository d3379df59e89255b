// The desktop tool: TForm3 first, then the main window.
#include <string>
#include <vector>

#include "app/gui_app.h"
#include "platform/system.h"

int main(int argc, char** argv) {
  // The arguments in UTF-8, as the program reads every text (Windows gives `argv` in the
  // computer's code page).
  std::vector<std::string> args = tallowick::platform::programArguments(argc, argv);
  std::vector<char*> utf8{argv[0]};
  for (std::string& a : args)
    utf8.push_back(a.data());
  utf8.push_back(nullptr);
  return tallowick::runDesktopTool(static_cast<int>(utf8.size()) - 1, utf8.data());
}
