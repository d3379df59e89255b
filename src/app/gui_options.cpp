#include "app/gui_options.h"

namespace tallowick {

GuiOptions parseGuiOptions(const std::vector<std::string>& args) {
  GuiOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--simulate") {
      o.simulate = std::string();
      // The model is optional: the next argument is it unless it is an option.
      if (i + 1 < args.size() && !args[i + 1].starts_with("-")) o.simulate = args[++i];
    } else if (a == "--registry") {
      if (i + 1 >= args.size()) {
        o.error = "option --registry needs a file";
        return o;
      }
      o.registry = args[++i];
    } else if (a == "--history") {
      if (i + 1 >= args.size()) {
        o.error = "option --history needs a file";
        return o;
      }
      o.history = args[++i];
    } else if (a == "--port") {
      if (i + 1 >= args.size()) {
        o.error = "option --port needs a port";
        return o;
      }
      o.port = args[++i];
    } else if (a.starts_with("--")) {
      o.error = "unknown option: " + a;
      return o;
    } else {
      o.toolkitArgs.push_back(a);
    }
  }
  return o;
}

}  // namespace tallowick
