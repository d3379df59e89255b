// The page "Вспомогательные функции" (TabSheet2): single service functions on the connected
// printer, each a short fixed sequence reported in message boxes. Only the control-tape
// receipts of the KM-15's Z-report write into the test log.
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
  // The Z-report of the FP-90T: the report, then clearing the control tape.
  void zReportWithTapeClearing();
  // The KM-15's control-tape receipts before its Z-report; false when the sequence ended.
  bool km15ControlTape();
  // One control-tape receipt: opened, headed with a stop check, its closing command (84h
  // test 3, or A6h 2 in the second form), closed. False when the sequence ended.
  bool controlTapeReceipt(bool secondForm);

  Session& s_;
};

}  // namespace tallowick
