// Recording stand-ins for the initialisation windows: they keep what the logic showed and
// answer its questions from set fields.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "initforms/form2.h"
#include "initforms/form3.h"

namespace tallowick::test {

struct FakeForm3Ui : Form3Ui {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool questionAnswer = true;  // Yes
  std::string status;
  std::vector<std::string> events;  // "main window", "close"
  std::vector<Form3Control> focus;
  std::map<Form3Control, bool> enabled{{Form3Control::Button6, false},
                                       {Form3Control::Button8, false}};
  std::string label6 = "  ";
  std::vector<std::string> listBox1;
  std::vector<std::string> listBox2;
  int comboBox1 = -1;
  int listBox1Selection = -1;
  int listBox2Selection = -1;
  std::string maskEdit1 = "00000";
  std::string maskEdit2 = "00000";

  void messageBox(const std::string& text) override { messages.push_back(text); }
  bool question(const std::string& text) override {
    questions.push_back(text);
    return questionAnswer;
  }
  void setStatus(const std::string& text) override { status = text; }
  void setLabel6(const std::string& text) override { label6 = text; }
  void setFocus(Form3Control control) override { focus.push_back(control); }
  void setEnabled(Form3Control control, bool on) override { enabled[control] = on; }
  void showListBox1(const std::vector<std::string>& items) override { listBox1 = items; }
  void showListBox2(const std::vector<std::string>& items) override { listBox2 = items; }
  int comboBox1Index() override { return comboBox1; }
  int listBox1Index() override { return listBox1Selection; }
  int listBox2Index() override { return listBox2Selection; }
  std::string maskEdit1Text() override { return maskEdit1; }
  std::string maskEdit2Text() override { return maskEdit2; }
  void showMainWindow() override { events.push_back("main window"); }
  void close() override { events.push_back("close"); }

  bool button6() const { return enabled.at(Form3Control::Button6); }
};

struct FakeForm2Ui : Form2Ui {
  int closed = 0;
  void close() override { ++closed; }
};

}  // namespace tallowick::test
