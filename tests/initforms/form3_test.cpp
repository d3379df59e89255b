#include "initforms/form3.h"

#include <gtest/gtest.h>

#include "fake_windows.h"
#include "initforms/memory_serial_store.h"
#include "initforms/serial_numbers.h"
#include "initforms/texts.h"

namespace tallowick {
namespace {

using test::FakeForm3Ui;
using Strings = std::vector<std::string>;

constexpr const char* kProgram = "C:\\Tallowick\\Tallowick.exe";

void storeList(MemorySerialStore& store, std::string_view key, const Strings& numbers) {
  store.putValue(key, kCountValue,
                 RegistryValue::ofDword(static_cast<std::uint32_t>(numbers.size())));
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    store.putValue(key, std::to_string(i), RegistryValue::ofString(numbers[i]));
  }
}

void registerProgram(MemorySerialStore& store) {
  store.putValue(kAppPathsKey, kDefaultValue, RegistryValue::ofString(kProgram));
}

struct Window {
  explicit Window(MemorySerialStore& store) : form(ui, store, kProgram) { form.FormActivate(); }
  FakeForm3Ui ui;
  TForm3 form;
};

TEST(Form3, FirstRunRegistersTheProgramAndCreatesEmptyLists) {
  MemorySerialStore store;
  Window w(store);
  EXPECT_EQ(store.value(kAppPathsKey, ""), RegistryValue::ofString(kProgram));
  EXPECT_EQ(store.value(kAppPathsKey, "Path"), RegistryValue::ofString(kProgram));
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(0));
  EXPECT_EQ(store.value(kAlreadyInitKey, "Count"), RegistryValue::ofDword(0));
  EXPECT_TRUE(w.ui.listBox1.empty());
  EXPECT_TRUE(w.ui.listBox2.empty());
  EXPECT_FALSE(w.ui.button6());
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST(Form3, SetUpNeverEmptiesListsThatAreStored) {
  struct Case {
    const char* what;
    bool registered, shouldInit, alreadyInit;
  } cases[] = {
      {"registration removed", false, true, true},
      {"only the list to initialise missing", true, false, true},
      {"only the initialised list missing", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySerialStore store;
    if (c.registered) registerProgram(store);
    if (c.shouldInit) storeList(store, kShouldInitKey, {"ЕД80000002", "ЕД80000001"});
    if (c.alreadyInit) storeList(store, kAlreadyInitKey, {"ЕД80000000"});
    Window w(store);
    EXPECT_EQ(w.ui.listBox1, (c.shouldInit ? Strings{"ЕД80000001", "ЕД80000002"} : Strings{}));
    EXPECT_EQ(w.ui.listBox2, (c.alreadyInit ? Strings{"ЕД80000000"} : Strings{}));
    EXPECT_EQ(w.ui.button6(), c.shouldInit);
    EXPECT_TRUE(store.hasKey(kAppPathsKey));
    EXPECT_TRUE(store.value(kShouldInitKey, "Count").has_value());
  }
}

TEST(Form3, ActivationLoadsOnlyOnce) {
  MemorySerialStore store;
  Window w(store);
  storeList(store, kShouldInitKey, {"ЕД80000001"});
  w.form.FormActivate();
  EXPECT_TRUE(w.ui.listBox1.empty());
}

TEST(Form3, SavedListsComeBackAfterRestart) {
  MemorySerialStore store;
  {
    Window w(store);
    w.ui.comboBox1 = 1;
    w.form.ComboBox1Change();
    w.ui.maskEdit1 = "12340";
    w.ui.maskEdit2 = "12343";
    w.form.Button8Click();
    w.ui.listBox1Selection = 2;
    w.form.Button1Click();
    w.form.Button9Click();
    EXPECT_TRUE(w.ui.messages.empty());
  }
  Window again(store);
  EXPECT_EQ(again.ui.listBox1, (Strings{"ЕД80012340", "ЕД80012341", "ЕД80012343"}));
  EXPECT_EQ(again.ui.listBox2, (Strings{"ЕД80012342"}));
  EXPECT_TRUE(again.ui.button6());
}

TEST(Form3, ChoosingAPrinterTypeShowsItsPrefix) {
  for (std::size_t i = 0; i < kPrinterTypes.size(); ++i) {
    MemorySerialStore store;
    Window w(store);
    w.ui.comboBox1 = static_cast<int>(i);
    w.form.ComboBox1Change();
    EXPECT_EQ(w.ui.label6, kPrinterTypes[i].prefix);
    EXPECT_EQ(w.ui.focus, std::vector{Form3Control::MaskEdit1});
    EXPECT_TRUE(w.ui.enabled[Form3Control::Button8]);
  }
  MemorySerialStore store;
  Window none(store);
  none.form.ComboBox1Change();
  EXPECT_EQ(none.ui.label6, "  ");
  EXPECT_FALSE(none.ui.enabled[Form3Control::Button8]);
}

TEST(Form3, GeneratingAnInterval) {
  struct Case {
    const char* lower;
    const char* upper;
    Strings shown;        // ListBox1 afterwards, when generated
    const char* message;  // or the message, leaving both lists as they were
  } cases[] = {
      {"12340", "12342", {"ЕД80012340", "ЕД80012341", "ЕД80012342"}, nullptr},
      {"12345", "12345", {"ЕД80012345"}, nullptr},
      {"00000", "00001", {"ЕД80000000", "ЕД80000001"}, nullptr},
      {"12342", "12341", {}, "Некорректные границы диапазона!"},
      {"1234", "12342", {}, "Некорректные значения границ! Исправьте!"},
      {"12340", "1234_", {}, "Некорректные значения границ! Исправьте!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lower) + ".." + c.upper);
    MemorySerialStore store;
    registerProgram(store);
    storeList(store, kShouldInitKey, {"DH21000001"});
    storeList(store, kAlreadyInitKey, {"DH21000000"});
    Window w(store);
    const int writes = store.committedWrites();
    w.ui.comboBox1 = 1;
    w.form.ComboBox1Change();
    w.ui.maskEdit1 = c.lower;
    w.ui.maskEdit2 = c.upper;
    w.form.Button8Click();
    if (c.message) {
      EXPECT_EQ(w.ui.messages, Strings{c.message});
      EXPECT_EQ(w.ui.listBox1, Strings{"DH21000001"});
      EXPECT_EQ(w.ui.listBox2, Strings{"DH21000000"});
    } else {
      EXPECT_TRUE(w.ui.messages.empty());
      EXPECT_EQ(w.ui.listBox1, c.shown);
      EXPECT_TRUE(w.ui.listBox2.empty());
    }
    EXPECT_TRUE(w.ui.button6()) << "keeps its state until stored";
    EXPECT_EQ(store.committedWrites(), writes) << "nothing is stored";
  }
}

TEST(Form3, BoundKeys) {
  struct Case {
    const char* what;
    bool onUpper;  // the key goes to MaskEdit2, else MaskEdit1
    Form3Key key;
    const char* lower;
    const char* upper;
    std::vector<Form3Control> focus;
    Strings messages;
  } cases[] = {
      // clang-format off
      {"Enter in the lower bound", false, Form3Key::Enter, "1234", "",
       {Form3Control::MaskEdit2}, {}},
      {"other key in the lower bound", false, Form3Key::Other, "00001", "00002", {}, {}},
      {"Enter on a good interval", true, Form3Key::Enter, "00001", "00002",
       {Form3Control::Button8}, {}},
      {"Enter on equal bounds", true, Form3Key::Enter, "00002", "00002",
       {Form3Control::Button8}, {}},
      {"Enter on a reversed interval", true, Form3Key::Enter, "00003", "00002", {}, {}},
      {"Enter on a half-typed bound", true, Form3Key::Enter, "00003", "0000", {},
       {"Некорректные значения границ! Исправьте!"}},
      {"typing into a half-typed bound", true, Form3Key::Other, "00003", "0000", {}, {}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySerialStore store;
    Window w(store);
    w.ui.maskEdit1 = c.lower;
    w.ui.maskEdit2 = c.upper;
    if (c.onUpper) {
      w.form.MaskEdit2KeyDown(c.key);
    } else {
      w.form.MaskEdit1KeyDown(c.key);
    }
    EXPECT_EQ(w.ui.focus, c.focus);
    EXPECT_EQ(w.ui.messages, c.messages);
  }
}

TEST(Form3, MovesBetweenTheLists) {
  enum Action { One, All, Back, AllBack };
  struct Case {
    const char* what;
    Action action;
    int selection;
    bool button6Before;
    Strings list1, list2;
    bool button6;
  } cases[] = {
      // clang-format off
      {"> moves the selection", One, 0, false, {"ЕД80000002"}, {"ЕД80000001", "ЕД80000003"}, true},
      {"> with nothing selected still updates Продолжить", One, -1, false,
       {"ЕД80000001", "ЕД80000002"}, {"ЕД80000003"}, true},
      {">> moves everything", All, -1, true, {}, {"ЕД80000001", "ЕД80000002", "ЕД80000003"}, false},
      {"< moves the selection back", Back, 0, false,
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {}, true},
      {"< with nothing selected does nothing", Back, -1, false,
       {"ЕД80000001", "ЕД80000002"}, {"ЕД80000003"}, false},
      {"<< moves everything back", AllBack, -1, false,
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {}, true},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySerialStore store;
    registerProgram(store);
    storeList(store, kShouldInitKey, {"ЕД80000001", "ЕД80000002"});
    storeList(store, kAlreadyInitKey, {"ЕД80000003"});
    Window w(store);
    w.ui.enabled[Form3Control::Button6] = c.button6Before;
    w.ui.listBox1Selection = c.selection;
    w.ui.listBox2Selection = c.selection;
    switch (c.action) {
      case One:
        w.form.Button1Click();
        break;
      case All:
        w.form.Button2Click();
        break;
      case Back:
        w.form.Button3Click();
        break;
      case AllBack:
        w.form.Button4Click();
        break;
    }
    EXPECT_EQ(w.ui.listBox1, c.list1);
    EXPECT_EQ(w.ui.listBox2, c.list2);
    EXPECT_EQ(w.ui.button6(), c.button6);
  }
}

// Moving everything merges the lists in their order, however they interleave.
TEST(Form3, MovingEverythingMergesInOrder) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"DH21000005", "ЕД80000001", "ЕД80000003"});
  storeList(store, kAlreadyInitKey, {"DH21000004", "ЕД80000002", "ЛД10400000"});
  Window w(store);
  w.form.Button2Click();
  const Strings all{"DH21000004", "DH21000005", "ЕД80000001",
                    "ЕД80000002", "ЕД80000003", "ЛД10400000"};
  EXPECT_TRUE(w.ui.listBox1.empty());
  EXPECT_EQ(w.ui.listBox2, all);
  w.form.Button4Click();
  EXPECT_EQ(w.ui.listBox1, all);
  EXPECT_TRUE(w.ui.listBox2.empty());
}

TEST(Form3, LastNumberMovedAwayDisablesProceeding) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001"});
  Window w(store);
  w.ui.listBox1Selection = 0;
  w.form.Button1Click();
  EXPECT_FALSE(w.ui.button6());
}

TEST(Form3, SavingAfterMovingEverythingStoresAnEmptyListToInitialise) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001", "ЕД80000002"});
  Window w(store);
  w.form.Button2Click();
  w.form.Button9Click();
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(0));
  EXPECT_EQ(store.valueNames(kShouldInitKey), Strings{"Count"});
  EXPECT_EQ(store.value(kAlreadyInitKey, "Count"), RegistryValue::ofDword(2));
  EXPECT_EQ(store.value(kAlreadyInitKey, "1"), RegistryValue::ofString("ЕД80000002"));
  EXPECT_FALSE(w.ui.button6());
}

TEST(Form3, ClearEmptiesEveryStoredNumber) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001", "ЕД80000002", "ЕД80000003"});
  storeList(store, kAlreadyInitKey, {"ЕД80000000"});
  Window w(store);
  // A new interval shows fewer numbers than are stored; all stored ones still go.
  w.ui.comboBox1 = 1;
  w.form.ComboBox1Change();
  w.ui.maskEdit1 = w.ui.maskEdit2 = "00009";
  w.form.Button8Click();
  w.form.Button5Click();
  EXPECT_EQ(store.valueNames(kShouldInitKey), Strings{"Count"});
  EXPECT_EQ(store.valueNames(kAlreadyInitKey), Strings{"Count"});
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(0));
  EXPECT_TRUE(w.ui.listBox1.empty());
  EXPECT_TRUE(w.ui.listBox2.empty());
  EXPECT_FALSE(w.ui.button6());
}

// "Очистить" asks first; "Нет" leaves the lists shown and stored as they were.
TEST(Form3, ClearAsksFirstAndNoKeepsEverything) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001"});
  storeList(store, kAlreadyInitKey, {"ЕД80000000"});
  Window w(store);
  w.ui.questionAnswer = false;
  w.form.Button5Click();
  EXPECT_EQ(w.ui.questions, Strings{std::string(texts::kClearQuestion)});
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(1));
  EXPECT_EQ(store.value(kAlreadyInitKey, "0"), RegistryValue::ofString("ЕД80000000"));
  EXPECT_EQ(w.ui.listBox1, Strings{"ЕД80000001"});
  EXPECT_TRUE(w.ui.button6());
  EXPECT_EQ(w.ui.status, "");
}

// The status line says what the last store operation did, until the lists change again.
TEST(Form3, TheStatusLineShowsThatTheListsWereStored) {
  MemorySerialStore store;
  Window w(store);
  w.ui.comboBox1 = 1;
  w.form.ComboBox1Change();
  w.ui.maskEdit1 = "00001";
  w.ui.maskEdit2 = "00003";
  w.form.Button9Click();
  EXPECT_EQ(w.ui.status, texts::kListsSaved);
  w.form.Button8Click();
  EXPECT_EQ(w.ui.status, "");
  w.form.Button9Click();
  EXPECT_EQ(w.ui.status, texts::kListsSaved);
  w.form.Button5Click();
  EXPECT_EQ(w.ui.status, texts::kListsCleared);
  // No box says it: the status line is enough.
  EXPECT_TRUE(w.ui.messages.empty());
}

TEST(Form3, FailedStoringIsReportedAndChangesNothing) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001"});
  Window w(store);
  w.form.Button2Click();
  store.failTransactions(StoreError{StoreErrorKind::ReadOnly, "Только чтение."});
  w.form.Button9Click();
  w.form.Button5Click();
  const std::string message = std::string(texts::kListsNotSaved) + "\nТолько чтение.";
  EXPECT_EQ(w.ui.messages, (Strings{message, message}));
  EXPECT_EQ(w.ui.listBox2, Strings{"ЕД80000001"}) << "Очистить left the shown lists";
  store.failTransactions(std::nullopt);
  EXPECT_EQ(store.value(kShouldInitKey, "0"), RegistryValue::ofString("ЕД80000001"));
}

TEST(Form3, DamagedListsAreReportedAndNeverOverwritten) {
  MemorySerialStore store;
  registerProgram(store);
  storeList(store, kShouldInitKey, {"ЕД80000001", "ЕД80000002"});
  store.removeValue(kShouldInitKey, "1");
  Window w(store);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0].rfind(std::string(texts::kListsNotRead) + "\n", 0), 0u);
  EXPECT_FALSE(w.ui.button6());

  w.ui.comboBox1 = 1;
  w.form.ComboBox1Change();
  w.form.Button8Click();
  w.form.Button9Click();
  w.form.Button5Click();
  const std::string refused =
      std::string(texts::kListsNotSaved) + "\n" + std::string(texts::kListsNotLoaded);
  EXPECT_EQ(w.ui.messages, (Strings{w.ui.messages[0], refused, refused}));
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(2));
  EXPECT_EQ(store.value(kShouldInitKey, "0"), RegistryValue::ofString("ЕД80000001"));
}

TEST(Form3, ProceedingAndEnding) {
  MemorySerialStore store;
  Window proceed(store);
  proceed.form.Button6Click();
  EXPECT_EQ(proceed.ui.events, (Strings{"main window", "close"}));
  Window end(store);
  end.form.Button7Click();
  EXPECT_EQ(end.ui.events, Strings{"close"});
}

}  // namespace
}  // namespace tallowick
