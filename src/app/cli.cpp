#include "app/cli.h"

#include <charconv>
#include <functional>
#include <map>
#include <ostream>

#include "app/exit_codes.h"
#include "commands/commands.h"
#include "link/device_link.h"
#include "sim/loopback_line.h"

namespace tallowick {
namespace {

constexpr std::string_view kUsage =
    "usage: tallowick-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  info --port PORT [--baud RATE]\n"
    "      Identify the printer: model, firmware version, country and service mode.\n"
    "\n"
    "PORT is a serial device (for example /dev/ttyUSB0, or COM3 on Windows), or 'sim'\n"
    "for the built-in virtual printer ('sim:MODEL' chooses its model, e.g. sim:KM-15).\n"
    "RATE is 9600 (default), 19200, 57600 or 115200.\n";

// Options of the form --name VALUE.
struct Options {
  std::map<std::string, std::string> values;
  std::string error;
};

Options parseOptions(const std::vector<std::string>& args, std::size_t from,
                     std::initializer_list<std::string_view> known) {
  Options o;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool isKnown = false;
    for (auto k : known) isKnown = isKnown || a == k;
    if (!isKnown) {
      o.error = "unknown option: " + a;
      return o;
    }
    if (i + 1 >= args.size()) {
      o.error = "option " + a + " needs a value";
      return o;
    }
    o.values[a] = args[++i];
  }
  return o;
}

bool parseBaud(const std::string& text, std::int32_t& baud) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return false;
  for (std::int32_t allowed : {9600, 19200, 57600, 115200}) {
    if (value == allowed) {
      baud = value;
      return true;
    }
  }
  return false;
}

int usageError(std::ostream& err, const std::string& what) {
  err << "tallowick-cli: " << what << "\n" << kUsage;
  return kExitPortOrUsage;
}

int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const CliContext& context) {
  const Options o = parseOptions(args, 1, {"--port", "--baud"});
  if (!o.error.empty()) return usageError(err, o.error);
  if (!o.values.contains("--port")) return usageError(err, "info needs --port");
  std::int32_t baud = 9600;
  if (o.values.contains("--baud") && !parseBaud(o.values.at("--baud"), baud)) {
    return usageError(err, "unsupported baud rate: " + o.values.at("--baud"));
  }
  const std::string& port = o.values.at("--port");

  sim::SimulatedPort simulated(context.simClock ? *context.simClock : realClock());
  if (context.prepareSim) context.prepareSim(simulated.printer());
  DeviceLink link(simulated.lineFactory(
      [](const std::string&) { return makePlatformSerialLine(); }));
  if (link.OpenDeviceLink(port, baud) == -1) {
    err << "message: Невозможно подключить порт\n"
        << "tallowick-cli: cannot open " << port << " (missing, busy or not a serial port)\n";
    return kExitPortOrUsage;
  }
  CommandSet commands(link);
  std::int32_t argError = 0;
  const CommandResult* r = commands.GetDeviceInfo(kDevicePassword, &argError);
  int code = kExitOk;
  if (r->Refusal != LinkRefusal::None) {
    err << "tallowick-cli: " << refusalText(r->Refusal) << "\n";
    code = kExitPortOrUsage;
  } else if (r->noReply()) {
    err << "message: Таймаут устройства! Ошибка GetDeviceInfo!\n";
    code = kExitNoReply;
  } else if (!r->accepted()) {
    err << "message: Ошибка GetDeviceInfo\n"
        << "tallowick-cli: the printer answered with error code " << r->ErrorCode << "\n";
    code = kExitPrinterError;
  } else {
    out << "Модель: " << r->Fields[0] << "\n"
        << "Версия ПО: " << r->Fields[1] << "\n"
        << "Страна: " << r->Fields[2] << "\n"
        << (r->serviceMode() ? "Внимание!  Service Mode включен." : "Service Mode выключен.")
        << "\n";
  }
  link.CloseDeviceLink();
  return code;
}

void printHelp(std::ostream& out) {
  out << kUsage << "\nExit codes:\n";
  for (const auto& e : kExitCodes) out << "  " << e.code << "  " << e.meaning << "\n";
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliContext& context) {
  if (args.empty()) return usageError(err, "no command given");
  const std::string& command = args[0];
  const bool wantsHelp = command == "--help" || command == "-h" || command == "help" ||
                         (args.size() > 1 && (args[1] == "--help" || args[1] == "-h"));
  if (wantsHelp) {
    printHelp(out);
    return kExitOk;
  }
  if (command == "info") return runInfo(args, out, err, context);
  return usageError(err, "unknown command: " + command);
}

}  // namespace tallowick
