// Connecting and disconnecting the printer (Button2 of the main window), and the
// window caption that names the connected model.
#pragma once

#include <string>
#include <string_view>

#include "link/open_failure.h"
#include "mainform/session.h"
#include "platform/own_text.h"

namespace tallowick {

inline constexpr const char* kMainCaption = Text::own("Тест регистратора расчетных операций");

// The rates of ComboBox3, by item index.
inline constexpr std::int32_t kBaudRates[] = {9600, 19200, 57600, 115200};

// Button2Click: connects when not connected (at the rate of ComboBox3's item
// `baudIndex`, on the port ui.portName()), disconnects otherwise.
void Button2Click(Session& s, int baudIndex);

void connectPrinter(Session& s, int baudIndex);

// A message box for a port that did not open: `first` on the first line, then why, on a
// line of its own, when the link can tell.
std::string portNotOpenedText(std::string_view first, const OpenFailure& failure);
void disconnectPrinter(Session& s);

}  // namespace tallowick
