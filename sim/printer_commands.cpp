// The virtual printer's commands: one table from command code to handler, and one small
// handler each, working on the printer's state and printing onto its paper. A handler
// reads all its fields first, refuses what cannot be done, and only then changes state,
// so a refused command leaves the printer as it was.
#include <cmath>

#include "sim/paper.h"
#include "sim/virtual_printer.h"

namespace tallowick::sim {
namespace {

constexpr std::int64_t kMaxCode = 2147483647;

bool isFiscal(DocumentKind kind) {
  return kind == DocumentKind::Sale || kind == DocumentKind::Return;
}

// price x quantity, rounded to the kopeck.
std::int64_t lineSum(std::int64_t quantity, std::int64_t price) {
  return std::llround(static_cast<long double>(quantity) * static_cast<long double>(price) /
                      1000.0L);
}

std::int64_t percentOf(std::int64_t amount, std::int64_t hundredthsOfPercent) {
  return std::llround(static_cast<long double>(amount) *
                      static_cast<long double>(hundredthsOfPercent) / 10000.0L);
}

std::int32_t i32(std::int64_t v) {
  return static_cast<std::int32_t>(v);
}

}  // namespace

const VirtualPrinter::HandlerEntry VirtualPrinter::kHandlers[] = {
    {command::kSetDateTime, 2, &VirtualPrinter::setDateTime},
    {command::kGetDateTime, 0, &VirtualPrinter::getDateTime},
    {command::kSetHeaderLine, 3, &VirtualPrinter::setHeaderLine},
    {command::kAddArticle, 6, &VirtualPrinter::addArticle},
    {command::kSetRegistratorParams, 7, &VirtualPrinter::setRegistratorParams},
    {command::kGetRegistratorParams, 0, &VirtualPrinter::getRegistratorParams},
    {command::kSetPaymentType, 3, &VirtualPrinter::setPaymentType},
    {command::kSetOperator, 3, &VirtualPrinter::setOperator},
    {command::kSetMaintenanceParams, 4, &VirtualPrinter::setMaintenanceParams},
    {command::kSetSerialNumber, 1, &VirtualPrinter::setSerialNumber},
    {command::kGetTaxNumber, 0, &VirtualPrinter::getTaxNumber},
    {command::kSetTaxRates, 5, &VirtualPrinter::setTaxRate},
    {command::kOpenServiceReceipt, 0, &VirtualPrinter::openServiceReceipt},
    {command::kPrintText, 1, &VirtualPrinter::printText},
    {command::kOpenFiscalReceipt, 3, &VirtualPrinter::openFiscalReceipt},
    {command::kSellArticle, 3, &VirtualPrinter::sellArticle},
    {command::kCloseReceipt, 1, &VirtualPrinter::closeReceipt},
    {command::kPayment, 2, &VirtualPrinter::payment},
    {command::kPercentDiscount, 1, &VirtualPrinter::percentDiscount},
    {command::kAbsoluteDiscount, 1, &VirtualPrinter::absoluteDiscount},
    {command::kCancelReceipt, 1, &VirtualPrinter::cancelReceipt},
    {command::kPrintTotal, 1, &VirtualPrinter::printTotal},
    {command::kCashInOut, 2, &VirtualPrinter::cashInOut},
    {command::kPrintBarcode, 2, &VirtualPrinter::printBarcode},
    {command::kAbsoluteSurchargeDiscount, 1, &VirtualPrinter::subtotalAdjustment},
    {command::kGetDeviceInfo, 0, &VirtualPrinter::getDeviceInfo},
    {command::kDisplayText, 3, &VirtualPrinter::displayText},
    {command::kBeep, 1, &VirtualPrinter::beep},
    {command::kOpenCashDrawer, 0, &VirtualPrinter::openCashDrawer},
    {command::kRunInternalTest, 1, &VirtualPrinter::runInternalTest},
    {command::kPrintReport, 1, &VirtualPrinter::printReport},
    {command::kSoldArticlesReport, 2, &VirtualPrinter::soldArticlesReport},
    {command::kCommandA6, 3, &VirtualPrinter::printControlTape},
    {command::kReadDailyCounters, 1, &VirtualPrinter::readDailyCounter},
    {command::kEraseFiscalMemory, 0, &VirtualPrinter::eraseFiscalMemory},
    {command::kRebootRegistrator, 0, &VirtualPrinter::reboot},
};

VirtualPrinter::CommandReply VirtualPrinter::carryOut(const Request& request) {
  const HandlerEntry* entry = nullptr;
  for (const auto& e : kHandlers) {
    if (e.command == request.command) entry = &e;
  }
  if (!entry) {
    if (settings_.strict) return refuse(PrinterError::UnknownCommand);
    return {};
  }
  RequestFields fields(request.data);
  if (fields.bad() || fields.count() != entry->fields) return refuse(PrinterError::BadData);
  if (settings_.strict && fields.password() != settings_.password) {
    return refuse(PrinterError::BadPassword);
  }
  return (this->*entry->handler)(fields);
}

// --- helpers ---------------------------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::refuse(PrinterError error) {
  return {std::string(errorCode(error)), {}};
}

std::optional<VirtualPrinter::CommandReply> VirtualPrinter::strictly(bool refused,
                                                                     PrinterError error) const {
  if (settings_.strict && refused) return refuse(error);
  return std::nullopt;
}

std::optional<VirtualPrinter::CommandReply> VirtualPrinter::needsNoDocument() const {
  return strictly(state_.document != DocumentKind::None, PrinterError::DocumentOpen);
}

std::optional<VirtualPrinter::CommandReply> VirtualPrinter::needsFiscalReceipt() const {
  if (state_.document == DocumentKind::None) {
    return strictly(true, PrinterError::NoDocument);
  }
  return strictly(!isFiscal(state_.document), PrinterError::WrongDocument);
}

void VirtualPrinter::print(std::string line) {
  state_.paper.push_back(std::move(line));
  if (paperHook_) paperHook_(state_.paper.back());
}

void VirtualPrinter::printHeader() {
  for (const auto& [number, text] : state_.headerLines) {
    if (!text.empty()) print(paper::centred(text));
  }
}

void VirtualPrinter::printFooter(const std::string& title) {
  print(paper::centred(paper::dateTime(clockAt(now_))));
  if (!state_.serialNumber.empty()) print(paper::centred("ЗН " + state_.serialNumber));
  print(paper::centred(title));
  print(paper::rule());
}

void VirtualPrinter::printTotals(const char* title) {
  const DayTotals& d = state_.day;
  printHeader();
  print(paper::centred(title));
  print(paper::spread("Чеков продажи", std::to_string(d.sales)));
  print(paper::spread("Продажи", paper::money(d.salesSum)));
  print(paper::spread("Чеков возврата", std::to_string(d.returns)));
  print(paper::spread("Возвраты", paper::money(d.returnsSum)));
  print(paper::spread("Аннулировано чеков", std::to_string(d.cancelled)));
  print(paper::spread("Внесено", paper::money(d.cashIn)));
  print(paper::spread("Выдано", paper::money(d.cashOut)));
  print(paper::spread("В кассе", paper::money(state_.cash)));
}

void VirtualPrinter::openDocument(DocumentKind kind) {
  state_.document = kind;
  state_.receipt = Receipt{};
}

void VirtualPrinter::closeDocument() {
  state_.document = DocumentKind::None;
  state_.receipt = Receipt{};
}

void VirtualPrinter::adjustLastItem(std::int64_t amount, const std::string& what) {
  state_.receipt.total += amount;
  state_.receipt.lastItem += amount;
  print(paper::spread("  " + what, paper::money(amount)));
}

// --- clock and settings ------------------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::setDateTime(RequestFields& f) {
  const std::string date = f.text(1);
  const std::string time = f.text(2);
  if (f.bad()) return refuse(PrinterError::BadData);
  const auto t = paper::parseWireDateTime(date, time);
  if (!t) return refuse(PrinterError::BadDateTime);
  if (auto no = needsNoDocument()) return *no;
  state_.clockBase = *t;
  state_.clockSetAt = now_;
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::getDateTime(RequestFields&) {
  const auto t = clockAt(now_);
  return {"0000", paper::wireDate(t) + ";" + paper::wireTime(t) + ";"};
}

VirtualPrinter::CommandReply VirtualPrinter::setHeaderLine(RequestFields& f) {
  const auto line = f.integer(1, 0, 20);
  const std::string text = f.text(2);
  f.integer(3);
  if (f.bad()) return refuse(PrinterError::BadData);
  state_.headerLines[i32(line)] = text;
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::addArticle(RequestFields& f) {
  const auto code = f.integer(1, 0, kMaxCode);
  Article a{f.text(2), i32(f.integer(3, 0, kMaxCode)), i32(f.integer(4, 0, kMaxCode)),
            i32(f.hex(5, 0xFF)), f.text(6)};
  if (f.bad()) return refuse(PrinterError::BadData);
  state_.articles[i32(code)] = std::move(a);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::setRegistratorParams(RequestFields& f) {
  const auto rate = f.integer(1, 0, kMaxCode);
  RegistratorParams p{};
  for (std::size_t i = 0; i < p.size(); ++i) {
    const bool decimal = i == 0 || i + 1 == p.size();
    const std::int64_t max = kRegistratorParamLimits[i];
    p[i] = i32(decimal ? f.integer(i + 2, 0, max) : f.hex(i + 2, max));
  }
  if (f.bad()) return refuse(PrinterError::BadData);
  if (!isLineRate(i32(rate))) return refuse(PrinterError::BadLineRate);
  state_.registratorParams = p;
  if (rate != lineRateAt(now_)) rateAfterReply_ = i32(rate);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::getRegistratorParams(RequestFields&) {
  return {"0000", std::to_string(lineRateAt(now_)) + ";" +
                      formatRegistratorParams(state_.registratorParams)};
}

VirtualPrinter::CommandReply VirtualPrinter::setPaymentType(RequestFields& f) {
  const auto number = f.integer(1, 0, 9);
  PaymentType type{i32(f.hex(2, 0xFF)), f.text(3)};
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsNoDocument()) return *no;
  state_.paymentTypes[i32(number)] = std::move(type);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::setOperator(RequestFields& f) {
  const auto index = f.integer(1, 0, 99);
  Operator op{f.text(2), f.text(3)};
  if (f.bad()) return refuse(PrinterError::BadData);
  state_.operators[i32(index)] = std::move(op);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::setMaintenanceParams(RequestFields& f) {
  MaintenanceParams m{f.text(1), f.text(2), i32(f.integer(3, 0, kMaxCode)), i32(f.hex(4, 0xFF))};
  if (f.bad()) return refuse(PrinterError::BadData);
  state_.maintenance = std::move(m);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::setSerialNumber(RequestFields& f) {
  const std::string serial = f.text(1);
  if (f.bad() || serial.empty()) return refuse(PrinterError::BadData);
  if (auto no = strictly(!state_.serialNumber.empty(), PrinterError::AlreadyProgrammed)) {
    return *no;
  }
  state_.serialNumber = serial;
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::getTaxNumber(RequestFields&) {
  return {"0000", state_.taxNumber + ";"};
}

VirtualPrinter::CommandReply VirtualPrinter::setTaxRate(RequestFields& f) {
  const auto number = f.integer(1, 0, 9);
  TaxRate rate{i32(f.hex(2, 0xFF)), f.text(3), f.text(4), i32(f.integer(5, -1, kMaxCode))};
  if (f.bad() || !parseFixed(rate.rate, 2)) return refuse(PrinterError::BadData);
  if (auto no = needsNoDocument()) return *no;
  state_.taxRates[i32(number)] = std::move(rate);
  return {};
}

// --- receipts ----------------------------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::openServiceReceipt(RequestFields&) {
  if (auto no = needsNoDocument()) return *no;
  openDocument(DocumentKind::Service);
  printHeader();
  print(paper::centred("СЛУЖЕБНЫЙ ЧЕК"));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::printText(RequestFields& f) {
  const std::string text = f.text(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = strictly(state_.document == DocumentKind::None, PrinterError::NoDocument)) {
    return *no;
  }
  print(text);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::openFiscalReceipt(RequestFields& f) {
  const auto op = f.integer(1, 0, 99);
  const auto till = f.integer(2, 0, kMaxCode);
  const bool isReturn = f.integer(3, 0, 1) == 1;
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsNoDocument()) return *no;
  openDocument(isReturn ? DocumentKind::Return : DocumentKind::Sale);
  state_.receipt.operatorNumber = i32(op);
  state_.receipt.till = i32(till);
  printHeader();
  print(paper::centred(isReturn ? "ЧЕК ВОЗВРАТА" : "ФИСКАЛЬНЫЙ ЧЕК"));
  const auto named = state_.operators.find(i32(op));
  const std::string who = named != state_.operators.end() && !named->second.name.empty()
                              ? named->second.name
                              : "Оператор " + std::to_string(op);
  print(paper::spread(who, "Касса " + std::to_string(till)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::sellArticle(RequestFields& f) {
  const auto code = f.integer(1, 0, kMaxCode);
  const auto quantity = f.quantity(2);
  const auto price = f.money(3);
  if (f.bad() || quantity <= 0 || price < 0) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  const auto article = state_.articles.find(i32(code));
  const bool known = article != state_.articles.end();
  if (auto no = strictly(!known, PrinterError::UnknownArticle)) return *no;

  const std::int64_t sum = lineSum(quantity, price);
  Receipt& r = state_.receipt;
  r.total += sum;
  r.lastItem = sum;
  r.hasItem = true;
  SoldArticle& item = r.items[i32(code)];
  item.quantity += quantity;
  item.sum += sum;
  print(known && !article->second.name.empty() ? article->second.name
                                               : "Товар " + std::to_string(code));
  print(paper::spread("  " + paper::quantity(quantity) + " x " + paper::money(price),
                      paper::money(sum)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::closeReceipt(RequestFields& f) {
  f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  const DocumentKind kind = state_.document;
  if (kind == DocumentKind::None) {
    if (auto no = strictly(true, PrinterError::NoDocument)) return *no;
    return {};
  }
  if (kind == DocumentKind::Service) {
    printFooter("НЕФИСКАЛЬНЫЙ ЧЕК");
    closeDocument();
    return {};
  }

  Receipt& r = state_.receipt;
  if (auto no = strictly(r.paid < r.total, PrinterError::NotPaid)) return *no;
  // A lenient printer takes what is not paid as cash.
  if (r.paid < r.total) {
    r.cashPaid += r.total - r.paid;
    r.paid = r.total;
  }
  const std::int64_t change = r.paid - r.total;
  if (change > 0) print(paper::spread("СДАЧА", paper::money(change)));
  const std::int64_t cashMoved = r.cashPaid - change;
  DayTotals& d = state_.day;
  const bool isReturn = kind == DocumentKind::Return;
  if (isReturn) {
    ++d.returns;
    d.returnsSum += r.total;
    state_.cash -= cashMoved;
  } else {
    ++d.sales;
    d.salesSum += r.total;
    state_.cash += cashMoved;
  }
  for (const auto& [code, item] : r.items) {
    SoldArticle& sold = d.sold[code];
    sold.quantity += isReturn ? -item.quantity : item.quantity;
    sold.sum += isReturn ? -item.sum : item.sum;
  }
  ++state_.receiptNumber;
  print(paper::spread("ЧЕК № " + std::to_string(state_.receiptNumber),
                      "СУММА " + paper::money(r.total)));
  printFooter("ФИСКАЛЬНЫЙ ЧЕК");
  closeDocument();
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::payment(RequestFields& f) {
  const auto type = f.integer(1, 0, 9);
  const auto amount = f.money(2);
  if (f.bad() || amount < 0) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  const auto programmed = state_.paymentTypes.find(i32(type));
  const bool known = type == 0 || programmed != state_.paymentTypes.end();
  if (auto no = strictly(!known, PrinterError::UnknownPayment)) return *no;

  state_.receipt.paid += amount;
  if (type == 0) state_.receipt.cashPaid += amount;
  std::string name = type == 0 ? "Наличные" : "";
  if (programmed != state_.paymentTypes.end()) name = programmed->second.name;
  if (name.empty()) name = "Оплата " + std::to_string(type);
  print(paper::spread(name, paper::money(amount)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::percentDiscount(RequestFields& f) {
  const auto percent = f.money(1);  // in hundredths of a percent
  if (f.bad() || percent < -10000) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  if (auto no = strictly(!state_.receipt.hasItem, PrinterError::WrongDocument)) return *no;
  const std::string what = percent < 0 ? "Скидка " : "Надбавка ";
  adjustLastItem(percentOf(state_.receipt.lastItem, percent),
                 what + paper::money(percent < 0 ? -percent : percent) + "%");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::absoluteDiscount(RequestFields& f) {
  const auto amount = f.money(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  if (auto no = strictly(!state_.receipt.hasItem, PrinterError::WrongDocument)) return *no;
  adjustLastItem(amount, amount < 0 ? "Скидка" : "Надбавка");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::subtotalAdjustment(RequestFields& f) {
  const auto amount = f.money(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  state_.receipt.total += amount;
  print(paper::spread(amount < 0 ? "Скидка на чек" : "Надбавка на чек", paper::money(amount)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::cancelReceipt(RequestFields& f) {
  f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  if (state_.document == DocumentKind::None) return {};
  if (isFiscal(state_.document)) ++state_.day.cancelled;
  print(paper::centred("ЧЕК АННУЛИРОВАН"));
  printFooter(isFiscal(state_.document) ? "ФИСКАЛЬНЫЙ ЧЕК" : "НЕФИСКАЛЬНЫЙ ЧЕК");
  closeDocument();
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::printTotal(RequestFields& f) {
  const bool printed = f.integer(1, 0, 1) == 1;
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsFiscalReceipt()) return *no;
  if (printed) print(paper::spread("ИТОГ", paper::money(state_.receipt.total)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::printBarcode(RequestFields& f) {
  const auto height = f.integer(1, 1, 255);
  const auto row = paper::modules(f.text(2));
  if (f.bad() || !row || row->empty()) return refuse(PrinterError::BadData);
  if (auto no = strictly(state_.document == DocumentKind::None, PrinterError::NoDocument)) {
    return *no;
  }
  // One text row stands for 25 pixel lines of the symbol's height.
  for (std::int64_t i = 0; i < std::max<std::int64_t>(1, height / 25); ++i)
    print(*row);
  return {};
}

// --- cash, display, drawer ---------------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::cashInOut(RequestFields& f) {
  f.integer(1, 0, 99);
  const auto amount = f.money(2);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = needsNoDocument()) return *no;
  if (auto no = strictly(-amount > state_.cash, PrinterError::NotEnoughCash)) return *no;
  state_.cash += amount;
  (amount < 0 ? state_.day.cashOut : state_.day.cashIn) += amount < 0 ? -amount : amount;
  printHeader();
  print(paper::centred(amount < 0 ? "СЛУЖЕБНАЯ ВЫДАЧА" : "СЛУЖЕБНОЕ ВНЕСЕНИЕ"));
  print(paper::spread("Сумма", paper::money(amount < 0 ? -amount : amount)));
  print(paper::spread("В кассе", paper::money(state_.cash)));
  printFooter("НЕФИСКАЛЬНЫЙ ЧЕК");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::displayText(RequestFields& f) {
  const auto function = f.integer(1);
  f.integer(2);
  const std::string text = f.text(3);
  if (f.bad()) return refuse(PrinterError::BadData);
  switch (function) {
    case 0:
      state_.display = {};
      print("[дисплей] очищен");
      return {};
    case 1:
    case 2:
      state_.display[static_cast<std::size_t>(function - 1)] = text;
      print("[дисплей " + std::to_string(function) + "] " + text);
      return {};
    case 3:  // shows what it shows; the host asks it for the status bytes
      return {};
    default:
      if (auto no = strictly(true, PrinterError::UnknownFunction)) return *no;
      return {};
  }
}

VirtualPrinter::CommandReply VirtualPrinter::beep(RequestFields& f) {
  f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::openCashDrawer(RequestFields&) {
  ++state_.drawerOpenings;
  print("[денежный ящик открыт]");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::getDeviceInfo(RequestFields&) {
  return {"0000", settings_.model + ";" + settings_.firmware + ";" + settings_.country + ";"};
}

// --- tests and reports -------------------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::runInternalTest(RequestFields& f) {
  const auto test = f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = strictly(test < 0 || test > 3, PrinterError::UnknownFunction)) return *no;
  const auto line = [this](const std::string& left, const std::string& right) {
    print(paper::spread(left, right));
  };
  switch (test) {
    case 0:
      print(paper::centred("ТЕХНИЧЕСКАЯ ИНФОРМАЦИЯ"));
      line("Модель", settings_.model);
      line("Версия ПО", settings_.firmware);
      line("Страна", settings_.country);
      line("ЗН", state_.serialNumber.empty() ? "не задан" : state_.serialNumber);
      line("ПН", state_.taxNumber);
      line("Скорость", std::to_string(lineRateAt(now_)));
      line("Параметры", formatRegistratorParams(state_.registratorParams));
      for (const auto& [number, rate] : state_.taxRates) {
        line("Налог " + std::to_string(number) + " " + rate.name, rate.rate + "%");
      }
      break;
    case 1:
      print(paper::centred("СТАТУС ФИСКАЛЬНОГО БЛОКА"));
      line("Z-отчетов", std::to_string(state_.zReports));
      line("Последний чек", std::to_string(state_.receiptNumber));
      line("Фискальная память", "исправна");
      break;
    case 2:
      print(paper::centred("ПОЛНЫЙ ТЕСТ"));
      print("0123456789 !\"#$%&'()*+,-./:;<=>?");
      print("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");
      print("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ ЄЇІ абвгдежзийклмнопрстуфхцчшщъыьэюя єїі");
      line("Принтер", "исправен");
      line("Часы", paper::dateTime(clockAt(now_)));
      break;
    case 3:
      print(paper::centred("КОНТРОЛЬНАЯ ЛЕНТА"));
      line("Чеков за день", std::to_string(state_.day.sales + state_.day.returns));
      break;
    default:
      break;
  }
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::printReport(RequestFields& f) {
  const auto type = f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  if (auto no = strictly(type < 0 || type > 2, PrinterError::UnknownFunction)) return *no;
  if (auto no = needsNoDocument()) return *no;
  switch (type) {
    case 0: {
      printTotals(("Z-ОТЧЕТ № " + std::to_string(state_.zReports + 1)).c_str());
      printFooter("ФИСКАЛЬНЫЙ ОТЧЕТ");
      ++state_.zReports;
      state_.day = DayTotals{};
      break;
    }
    case 1:
      printTotals("X-ОТЧЕТ");
      printFooter("НЕФИСКАЛЬНЫЙ ЧЕК");
      break;
    case 2:
      print(paper::centred("ОБНУЛЕНИЕ КОНТРОЛЬНОЙ ЛЕНТЫ"));
      printFooter("НЕФИСКАЛЬНЫЙ ЧЕК");
      break;
    default:
      break;
  }
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::soldArticlesReport(RequestFields& f) {
  const auto first = f.integer(1);
  const auto last = f.integer(2);
  if (f.bad()) return refuse(PrinterError::BadData);
  print(paper::centred("ОТЧЕТ ПО ТОВАРАМ"));
  bool any = false;
  for (const auto& [code, sold] : state_.day.sold) {
    if (code < first || code > last) continue;
    const auto article = state_.articles.find(code);
    const std::string name = article != state_.articles.end() ? article->second.name : "";
    print(std::to_string(code) + " " + name);
    print(paper::spread("  " + paper::quantity(sold.quantity), paper::money(sold.sum)));
    any = true;
  }
  if (!any) print("Продаж нет");
  if (state_.document == DocumentKind::None) printFooter("НЕФИСКАЛЬНЫЙ ЧЕК");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::printControlTape(RequestFields& f) {
  f.integer(1);
  f.text(2);
  f.text(3);
  if (f.bad()) return refuse(PrinterError::BadData);
  print(paper::centred("КОНТРОЛЬНАЯ ЛЕНТА (ПРОДОЛЖЕНИЕ)"));
  print(paper::spread("Чеков за день", std::to_string(state_.day.sales + state_.day.returns)));
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::readDailyCounter(RequestFields& f) {
  const auto counter = f.integer(1);
  if (f.bad()) return refuse(PrinterError::BadData);
  return {"0000", std::to_string(counter == 6 ? state_.dailyCounter : 0) + ";"};
}

// --- fiscal memory and restart -----------------------------------------------------------

VirtualPrinter::CommandReply VirtualPrinter::eraseFiscalMemory(RequestFields&) {
  if (auto no = needsNoDocument()) return *no;
  state_.serialNumber.clear();
  state_.dailyCounter = 0;
  state_.zReports = 0;
  state_.receiptNumber = 0;
  state_.day = DayTotals{};
  state_.cash = 0;
  print("[фискальная память стерта]");
  return {};
}

VirtualPrinter::CommandReply VirtualPrinter::reboot(RequestFields&) {
  rebootAfterReply_ = settings_.rebootTime;
  print("[перезагрузка]");
  return {};
}

}  // namespace tallowick::sim
