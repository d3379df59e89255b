#include "mainform/connection.h"

#include "mainform/step_outcome.h"
#include "platform/own_text.h"

namespace tallowick {

void Button2Click(Session& s, int baudIndex) {
  if (!s.state.Connected) {
    connectPrinter(s, baudIndex);
  } else {
    disconnectPrinter(s);
  }
}

void connectPrinter(Session& s, int baudIndex) {
  if (baudIndex < 0 || baudIndex >= static_cast<int>(std::size(kBaudRates))) return;
  s.state.ConnectedBaudRate = kBaudRates[baudIndex];
  if (s.link().OpenDeviceLink(s.ui.portName(), s.state.ConnectedBaudRate) == -1) {
    s.ui.messageBox(
        portNotOpenedText(Text::own("Невозможно подключить порт"), s.link().openFailure()));
    return;
  }
  s.state.Connected = true;
  s.ui.showConnected(true);
  s.ui.resetPassesSelection();
  s.state.StopRequested = false;

  std::int32_t err = 0;
  const CommandResult* r = nullptr;
  {
    // However long the printer keeps it waiting, the user can end the connect.
    const StopCheckScope stoppable(s.link(), s.stopOnRequest());
    r = s.keep(s.commands.GetDeviceInfo(kDevicePassword, &err));
  }
  if (r->stopped()) {
    // Asked for, not a failure of the printer: no box, and the port is let go.
    disconnectPrinter(s);
    return;
  }
  if (r->noReply()) {
    s.ui.setServiceIndicator({colour::kYellow, 24, ""});
    s.ui.messageBox(kGetDeviceInfoTimeout);
    return;
  }
  if (!r->accepted()) {
    s.ui.messageBox(kGetDeviceInfoError);
    return;
  }
  updateServiceIndicator(s);
  s.state.DeviceModel = r->Fields[0];
  s.state.FirmwareVersion = r->Fields[1];
  s.state.DeviceCountry = r->Fields[2];
  s.ui.setCaption(Text::tr(kMainCaption) + " " + s.state.DeviceModel);
}

std::string portNotOpenedText(std::string_view first, const OpenFailure& failure) {
  std::string text(first);
  const std::string why = openFailureText(failure);
  if (!why.empty()) text += "\n" + why;
  return text;
}

void disconnectPrinter(Session& s) {
  if (s.link().CloseDeviceLink() == 0) return;
  s.ui.setCaption(Text::tr(kMainCaption) + " ");
  s.state.Connected = false;
  s.ui.showConnected(false);
  s.state.StopRequested = true;
}

}  // namespace tallowick
