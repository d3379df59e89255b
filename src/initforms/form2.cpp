#include "initforms/form2.h"

namespace tallowick {

void TForm2::Button2Click() {
  answer_ = kContinue;
  ui_.close();
}

void TForm2::Button1Click() {
  answer_ = kEndProgram;
  ui_.close();
}

}  // namespace tallowick
