// The desktop tool: TForm3 first, then the main window.
#include "app/gui_app.h"

int main(int argc, char** argv) {
  return tallowick::runDesktopTool(argc, argv);
}
