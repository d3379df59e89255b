// Everything the virtual printer keeps between requests, in one struct: the line, the
// open document, its clock, what has been programmed into it, its day's totals and the
// paper it has printed. Money is in kopecks (hundredths), quantities in thousandths.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "sim/printer_settings.h"
#include "sim/request_parser.h"

namespace tallowick::sim {

struct Article {
  std::string name;
  std::int32_t taxGroup = 0;
  std::int32_t department = 0;
  std::int32_t flags = 0;
  std::string text;
};

struct PaymentType {
  std::int32_t mask = 0;
  std::string name;
};

struct Operator {
  std::string password;
  std::string name;
};

struct TaxRate {
  std::int32_t mask = 0;
  std::string rate;
  std::string name;
  std::int32_t value = 0;
};

struct MaintenanceParams {
  std::string text1;
  std::string text2;
  std::int32_t value = 0;
  std::int32_t mask = 0;
};

struct SoldArticle {
  std::int64_t quantity = 0;
  std::int64_t sum = 0;
};

// The fiscal receipt under way (empty for a service receipt).
struct Receipt {
  std::int32_t operatorNumber = 0;
  std::int32_t till = 0;
  std::int64_t total = 0;  // sales with their discounts and surcharges
  std::int64_t paid = 0;
  std::int64_t cashPaid = 0;  // the part of `paid` in payment type 0
  std::int64_t lastItem = 0;  // the last sale with its own adjustments
  bool hasItem = false;
  std::map<std::int32_t, SoldArticle> items;  // by article code, until the receipt closes
};

// Counted since the last Z-report.
struct DayTotals {
  std::int32_t sales = 0;  // closed sale receipts
  std::int32_t returns = 0;
  std::int32_t cancelled = 0;
  std::int64_t salesSum = 0;
  std::int64_t returnsSum = 0;
  std::int64_t cashIn = 0;
  std::int64_t cashOut = 0;
  std::map<std::int32_t, SoldArticle> sold;  // by article code
};

struct PrinterState {
  // The line. A rate set by 27h applies once its reply is out: until rateSwitchAt the
  // printer still talks at previousRate.
  std::int32_t lineRate = 9600;
  std::int32_t previousRate = 9600;
  Micros rateSwitchAt{0};
  bool serviceMode = false;
  // Until this moment the printer is rebooting: it hears and says nothing.
  Micros deafUntil{0};
  // The last request that was answered and the reply it got, so that the host's repeat
  // of the very same request (after a NAK or a lost reply) is answered again instead of
  // carried out twice.
  std::optional<Request> lastRequest;
  std::vector<std::uint8_t> lastReply;

  DocumentKind document = DocumentKind::None;
  Receipt receipt;

  // The clock reads clockBase at clockSetAt on the line's time axis and runs from there.
  std::chrono::sys_seconds clockBase{};
  Micros clockSetAt{0};

  std::map<std::int32_t, std::string> headerLines;
  std::map<std::int32_t, Article> articles;
  std::map<std::int32_t, PaymentType> paymentTypes;
  std::map<std::int32_t, Operator> operators;
  std::map<std::int32_t, TaxRate> taxRates;
  MaintenanceParams maintenance;
  RegistratorParams registratorParams = kDefaultRegistratorParams;
  std::string serialNumber;  // empty until 41h programs it
  std::string taxNumber;
  std::array<std::string, 2> display;  // the customer display's upper and lower line

  // Fiscal data, cleared by F0h.
  std::int32_t dailyCounter = 0;
  std::int32_t zReports = 0;
  std::int32_t receiptNumber = 0;  // of the last fiscal receipt closed or cancelled
  DayTotals day;
  std::int64_t cash = 0;  // in the drawer
  std::int32_t drawerOpenings = 0;

  // What the printer has printed (and shown on its display), one text line each.
  std::vector<std::string> paper;
};

}  // namespace tallowick::sim
