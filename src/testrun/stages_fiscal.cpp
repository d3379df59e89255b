// The fiscal part of the script: article programming, the reboot and its wait, the two
// sales receipts and the return receipt; then the service receipt with the sold-articles
// report and the internal tests, where a run without fiscal receipts rejoins.
#include <array>

#include "commands/printer_traits.h"
#include "platform/own_text.h"
#include "testrun/step_texts.h"
#include "testrun/test_run.h"

namespace tallowick {
namespace {

using namespace steps;

struct Article {
  std::int32_t code;
  const char* name;
  std::int32_t first;
  std::int32_t second;
  std::int32_t mask;
};

constexpr std::array<Article, 5> kArticles = {{
    {11111, "Кулебяка", 0, 1, 0x00},
    {11112, "Растегаи", 1, 2, 0x01},
    {11113, "Телевизор цветной", 2, 1, 0x00},
    {11114, "Сало закордонне", 3, 1, 0x01},
    {11115, "Млинці з м'ясом", 4, 1, 0x00},
}};

CommandCall sell(std::int32_t code, double quantity, double price) {
  return
      [=](CommandSet& c, std::int32_t* e) { return c.SellArticle(kPw, code, price, quantity, e); };
}

CommandCall pay(std::int32_t type, double amount) {
  return [=](CommandSet& c, std::int32_t* e) { return c.Payment(kPw, type, amount, e); };
}

CommandCall printText(const char* text) {
  return [=](CommandSet& c, std::int32_t* e) { return c.PrintText(kPw, text, e); };
}

CommandCall openFiscal(std::int32_t isReturn) {
  return
      [=](CommandSet& c, std::int32_t* e) { return c.OpenFiscalReceipt(kPw, 1, 1, isReturn, e); };
}

const CommandCall kCloseFiscal = [](CommandSet& c, std::int32_t* e) {
  return c.CloseFiscalReceipt(kPw, 1, e);
};
const CommandCall kPrintTotal = [](CommandSet& c, std::int32_t* e) {
  return c.PrintTotal(kPw, 1, e);
};

const LoggedStep kSale =
    counted(Text::own("Таймаут устройства! Ошибка продажи товара!"),
            Text::own("Ошибка продажи товара"), Text::own("Продажа товара - успешно"));
const LoggedStep kText =
    counted(Text::own("Таймаут устройства! Ошибка печати текста!"),
            Text::own("Ошибка печати текста"), Text::own("Печать текста - успешно"));
const LoggedStep kPayment =
    counted(Text::own("Таймаут устройства! Ошибка оплаты чека!"), Text::own("Ошибка оплаты чека"),
            Text::own("Оплата чека - успешно"));
const LoggedStep kTotal =
    counted(Text::own("Таймаут устройства! Ошибка печати итога!"), Text::own("Ошибка печати итога"),
            Text::own("Печать итога - успешно"));
const LoggedStep kClose =
    counted(Text::own("Таймаут устройства! Ошибка закрытия чека!"),
            Text::own("Ошибка закрытия чека"), Text::own("Чек закрыт - успешно"));
const LoggedStep kOpenSale = counted(
    Text::own("Таймаут устройства! Ошибка открытия фискального чека!"),
    Text::own("Ошибка открытия фискального чека"), Text::own("Фискальный чек открыт - успешно"));

}  // namespace

bool TestRun::articleProgramming() {
  for (std::size_t i = 0; i < kArticles.size(); ++i) {
    const Article a = kArticles[i];
    LoggedStep outcome = texts(Text::own("Таймаут устройства! Ошибка программирования артикулов!"),
                               Text::own("Ошибка программирования артикулов"),
                               Text::own("Программирование артикулов - успешно"));
    // A refused article goes on as a success; only the first one is not counted.
    outcome.onError = i == 0 ? OnFailure::Continue : OnFailure::CountAndContinue;
    const std::vector<Tail> after =
        i < 3 ? std::vector<Tail>{Tail::Pause, Tail::Pause, Tail::Blank, Tail::Stop}
              : std::vector<Tail>{Tail::Stop, Tail::Pause, Tail::Blank, Tail::Stop};
    if (!run({.title = Text::own("Программирование артикулов"),
              .call =
                  [a](CommandSet& c, std::int32_t* e) {
                    return c.AddArticle(kPw, a.code, a.name, a.first, a.second, a.mask, "", e);
                  },
              .outcome = outcome,
              .tail = after})) {
      return false;
    }
  }
  return true;
}

bool TestRun::rebootWait() {
  title(Text::own("Перезагрузка устройства"));
  s_.ui.scrollLogToEnd();
  if (modelTraits(s_.state.DeviceModel).rebootCommand &&
      !run({.call = [](CommandSet& c, std::int32_t*) { return c.SendFixed(kRebootDevice); },
            .outcome = quiet(Text::own("Таймаут устройства! Ошибка!"),
                             Text::own("Ошибка перезагрузки регистратора!"))})) {
    return false;
  }
  s_.state.Timer1.enable(s_.clock.now());
  s_.state.TimerElapsed = false;
  for (;;) {
    std::int32_t err = 0;
    const CommandResult* r =
        send([](CommandSet& c, std::int32_t* e) { return c.GetDeviceInfo(kPw, e); }, &err);
    if (r->stopped() && !stopCheck()) return false;
    s_.pumpEvents();
    // A port that is gone will not bring the printer back: no point polling it for the
    // rest of the two minutes.
    if (s_.state.TimerElapsed || r->WaitEnded == WaitEnd::PortGone) {
      s_.messageBox(Text::own("Ошибка перезагрузки регистратора!"));
      log(kStars30);
      log(Text::own("Ошибка перезагрузки регистратора! Аварийный останов!"));
      s_.ui.scrollLogToEnd();
      return abort();
    }
    if (!r->noReply()) return true;  // back, whatever it answered
  }
}

bool TestRun::salesReceipts() {
  LoggedStep cancel = counted(Text::own("Таймаут устройства! Ошибка аннулирования чека!"),
                              Text::own("Ошибка входа в режим аннулирования"),
                              Text::own("Аннулирование чека - успешно"));
  cancel.A = Text::own("Ошибка аннулирования чека!");
  title(Text::own("Фискальный чек"));
  if (!runAll({
          {.call = openFiscal(0), .outcome = kOpenSale, .tail = {Tail::Stop, Tail::Pause}},
          {.call = printText("Фискальный  ТеКсТ"),
           .outcome = kText,
           .tail = {Tail::Stop, Tail::Pause}},
          {.call = sell(11111, 1.5, 4.0), .outcome = kSale, .tail = {Tail::Pause}},
          {.call = [](CommandSet& c, std::int32_t* e) { return c.PercentDiscount(kPw, -10.0, e); },
           .outcome = counted(Text::own("Таймаут устройства! Ошибка процентной скидки!"),
                              Text::own("Ошибка процентной скидки"),
                              Text::own("Процентная скидка - успешно")),
           .tail = {Tail::Stop, Tail::Pause}},
          {.call = sell(11112, 2.12, 1.0), .outcome = kSale, .tail = {Tail::Stop, Tail::Pause}},
          {.call = sell(11111, 1.5, 4.0), .outcome = kSale, .tail = {Tail::Stop}},
          {.call = [](CommandSet& c, std::int32_t* e) { return c.CancelReceipt(kPw, 0, e); },
           .outcome = cancel,
           .tail = {Tail::Pause, Tail::Stop}},
      })) {
    return false;
  }

  title(Text::own("Фискальный чек"));
  return runAll({
      {.call = openFiscal(0), .outcome = kOpenSale, .tail = {Tail::Stop, Tail::Pause}},
      {.call = printText("Фискальный  ТеКсТ"), .outcome = kText, .tail = {Tail::Stop, Tail::Pause}},
      {.call = sell(11111, 1.5, 4.0), .outcome = kSale, .tail = {Tail::Pause}},
      {.call = [](CommandSet& c, std::int32_t* e) { return c.PercentDiscount(kPw, -10.0, e); },
       .outcome = counted(Text::own("Таймаут устройства! Ошибка процентной скидки на товар!"),
                          Text::own("Ошибка процентной скидки на товар"),
                          Text::own("Процентная скидка на товар - успешно")),
       .tail = {Tail::Stop, Tail::Pause}},
      {.call = sell(11112, 2.12, 1.0), .outcome = kSale, .tail = {Tail::Pause}},
      {.call = [](CommandSet& c, std::int32_t* e) { return c.PercentDiscount(kPw, 20.0, e); },
       .outcome = counted(Text::own("Таймаут устройства! Ошибка процентной надбавки на товар!"),
                          Text::own("Ошибка процентной надбавки на товар"),
                          Text::own("Процентная надбавка на товар - успешно")),
       .tail = {Tail::Stop}},
      {.call = sell(11113, 1.0, 1000.0), .outcome = kSale, .tail = {Tail::Stop}},
      {.call = [](CommandSet& c, std::int32_t* e) { return c.AbsoluteDiscount(kPw, -30.0, e); },
       .outcome = counted(Text::own("Таймаут устройства! Ошибка количественной скидки на товар!"),
                          Text::own("Ошибка количественной скидки на товар"),
                          Text::own("Количественная скидка на товар - успешно")),
       .tail = {Tail::Stop}},
      {.call = sell(11114, 0.75, 1.0), .outcome = kSale, .tail = {Tail::Stop}},
      {.call = [](CommandSet& c, std::int32_t* e) { return c.AbsoluteDiscount(kPw, 0.15, e); },
       .outcome = counted(Text::own("Таймаут устройства! Ошибка количественной надбавки на товар!"),
                          Text::own("Ошибка количественной надбавки на товар"),
                          Text::own("Количественная надбавка на товар - успешно")),
       .tail = {Tail::Stop}},
      {.call = sell(11115, 1.0, 11.0), .outcome = kSale, .tail = {Tail::Stop}},
      {.call = [](CommandSet& c,
                  std::int32_t* e) { return c.AbsoluteSurchargeDiscount(kPw, -1.0, e); },
       .outcome = counted(Text::own("Таймаут устройства! Ошибка абсолютной надбавки-скидки!"),
                          Text::own("Ошибка абсолютной надбавки-скидки"),
                          Text::own("Абсолютная надбавка-скидка - успешно")),
       .tail = {Tail::Stop, Tail::Pause, Tail::Stop}},
      {.call = kPrintTotal, .outcome = kTotal, .tail = {Tail::Pause, Tail::Stop}},
      {.call = pay(1, 10.0), .outcome = kPayment, .tail = {Tail::Stop}},
      {.call = pay(2, 20.0), .outcome = kPayment, .tail = {Tail::Stop}},
      {.call = pay(3, 40.0), .outcome = kPayment},
      {.call = pay(4, 50.0), .outcome = kPayment, .tail = {Tail::Stop}},
      {.call = pay(0, 1100.0), .outcome = kPayment, .tail = {Tail::Stop, Tail::Pause, Tail::Stop}},
      {.call = [](CommandSet& c,
                  std::int32_t* e) { return c.PrintBarcode(kPw, 50, "401234567890", e); },
       .outcome =
           counted(Text::own("Таймаут устройства! Ошибка печати штрихкода!"),
                   Text::own("Ошибка печати штрихкода"), Text::own("Печать штрихкода - успешно")),
       .tail = {Tail::Stop}},
      {.call = kCloseFiscal,
       .outcome = kClose,
       .tail = {Tail::Stop, Tail::Pause, Tail::Blank, Tail::Stop}},
  });
}

bool TestRun::returnReceipt() {
  LoggedStep sale = kSale;
  sale.pauseBeforeLines = pause_;
  title(Text::own("Чек возврата"));
  return runAll({
      {.call = openFiscal(1),
       .outcome = counted(Text::own("Таймаут устройства! Ошибка открытия чека возврата!"),
                          Text::own("Ошибка открытия чека возврата"),
                          Text::own("Чек возврата открыт - успешно")),
       .tail = {Tail::Stop, Tail::Pause, Tail::Stop}},
      {.call = printText("   ФиСкАлЬнЫй  Текст"), .outcome = kText, .tail = {Tail::Stop}},
      {.call = sell(11111, 1.5, 3.0), .outcome = sale, .tail = {Tail::Stop}},
      {.call = kPrintTotal, .outcome = kTotal, .tail = {Tail::Pause, Tail::Stop}},
      {.call = pay(0, 4.5), .outcome = kPayment, .tail = {Tail::Pause, Tail::Stop}},
      {.call = kCloseFiscal, .outcome = kClose},
  });
}

bool TestRun::serviceReceipt() {
  if (!tail({Tail::Stop, Tail::Pause, Tail::Stop, Tail::Blank, Tail::Stop})) return false;
  LoggedStep close =
      texts(Text::own("Таймаут устройства! Ошибка закрытия служебного чека!"),
            Text::own("Ошибка закрытия служебного чека"), Text::own("Служебный чек - успешно"));
  const std::int64_t lastArticle =
      firmwareTraits(s_.state.FirmwareVersion).shortArticleReportRange ? 999999999 : 99999999999999;
  auto internalTest = [](const char* heading, std::int32_t test, const char* T, const char* E,
                         const char* S) {
    return Step{
        .title = heading,
        .call = [test](CommandSet& c, std::int32_t* e) { return c.RunInternalTest(kPw, test, e); },
        .outcome = counted(T, E, S),
        .tail = {Tail::Pause, Tail::Stop}};
  };
  if (!runAll({
          {.title = Text::own("Служебный чек"),
           .call = [](CommandSet& c, std::int32_t* e) { return c.OpenServiceReceipt(kPw, e); },
           .outcome = counted(Text::own("Таймаут устройства! Ошибка окрытия служебного чека!"),
                              Text::own("Ошибка окрытия служебного чека"),
                              Text::own("Чек открыт - успешно")),
           .tail = {Tail::Stop}},
          {.title = Text::own("Отчет проданных товаров"),
           .call = [lastArticle](
                       CommandSet& c,
                       std::int32_t* e) { return c.SoldArticlesReport(kPw, 0, lastArticle, e); },
           .outcome = counted(Text::own("Таймаут устройства! Ошибка отчета проданных товаров!"),
                              Text::own("Ошибка отчета проданных товаров"),
                              Text::own("Отчет проданных товаров - успешно")),
           .tail = {Tail::Pause, Tail::Stop}},
          internalTest(Text::own("0. Техническая информация"), 0,
                       Text::own("Таймаут устройства! Ошибка теста Техническая информация!"),
                       Text::own("Ошибка теста Техническая информация"),
                       Text::own("Тест Техническая информация - успешно")),
          internalTest(Text::own("1. Статус фискального блока"), 1,
                       Text::own("Таймаут устройства! Ошибка теста Статус фискального блока!"),
                       Text::own("Ошибка теста Статус фискального блока"),
                       Text::own("Тест Статус фискального блока - успешно")),
          internalTest(Text::own("2. Полный тест"), 2,
                       Text::own("Таймаут устройства! Ошибка полного теста!"),
                       Text::own("Ошибка полного теста"), Text::own("Полный тест - успешно")),
      })) {
    return false;
  }
  s_.pumpEvents();
  return run({.call = [](CommandSet& c, std::int32_t* e) { return c.CloseServiceReceipt(kPw, e); },
              .outcome = close,
              .tail = {Tail::Pause}});
}

}  // namespace tallowick
