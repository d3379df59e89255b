// The page "Вспомогательные функции" (TabSheet2): single service functions on the connected
// printer, each a short fixed sequence reported in message boxes. Only the control-tape
// receipts before a Z-report write into the test log.
#pragma once

#include "mainform/session.h"

namespace tallowick {

class AuxiliaryPage {
 public:
  explicit AuxiliaryPage(Session& session) : s_(session) {}

  void Button11Click();  // "Z-отчет"
  void Button12Click();  // "X-отчет"
  void Button13Click();  // "Аннулировать чек"
  void Button14Click();  // "Перезагрузить устройство"
  void Button15Click();  // "Выполнить внутренний тест", the test chosen in ComboBox4
  void Button16Click();  // "Открыть денежный ящик"
  void Button17Click();  // "Установить налоги"

 private:
  // The Z-report of a model that clears the control tape after it: the report, then the
  // clearing, whatever the report answered.
  void zReportWithTapeClearing();
  // The control-tape receipts that some models print before their Z-report; false when
  // the sequence ended.
  bool controlTapeBeforeZ();
  // One control-tape receipt: opened, headed with a stop check, its closing command (84h
  // test 3, or A6h 2 in the second form), closed. False when the sequence ended.
  bool controlTapeReceipt(bool secondForm);

  Session& s_;
};

}  // namespace tallowick
