// TForm4, the confirmation of the number just written, over the book that TForm3 keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "initforms/fake_windows.h"
#include "initforms/memory_serial_store.h"
#include "initforms/texts.h"
#include "mainform/form4.h"

namespace tallowick {
namespace {

using test::FakeForm3Ui;
using Strings = std::vector<std::string>;

struct FakeForm4Ui : Form4Ui {
  std::string label2;
  std::vector<std::string> messages;
  int closed = 0;
  void setLabel2(const std::string& text) override { label2 = text; }
  void messageBox(const std::string& text) override { messages.push_back(text); }
  void close() override { ++closed; }
};

struct FakeSelector : SerialSelector {
  std::vector<std::string> list;
  int selected = -1;
  std::string typed;  // what the user typed over the selection, if anything

  std::string text() override {
    if (!typed.empty()) return typed;
    if (selected >= 0 && selected < static_cast<int>(list.size())) return list[selected];
    return {};
  }
  void setText(const std::string& text) override { typed = text; }
  int selectedIndex() override { return selected; }
  std::vector<std::string> items() override { return list; }
  void removeItem(int index) override { list.erase(list.begin() + index); }
};

// The manager with stored lists, and the main window's selector filled from it.
struct Dialogs {
  Dialogs() {
    store.putValue(kAppPathsKey, "", RegistryValue::ofString("Tallowick.exe"));
    const Strings pending = {"ЕД80000001", "ЕД80000002", "ЕД80000003"};
    store.putValue(kShouldInitKey, "Count", RegistryValue::ofDword(3));
    for (std::size_t i = 0; i < pending.size(); ++i) {
      store.putValue(kShouldInitKey, std::to_string(i), RegistryValue::ofString(pending[i]));
    }
    store.putValue(kAlreadyInitKey, "Count", RegistryValue::ofDword(1));
    store.putValue(kAlreadyInitKey, "0", RegistryValue::ofString("ЕД80000000"));
    manager.FormActivate();
    selector.list = manager.book().shouldInit();
  }
  Strings reloaded(SerialList list) {
    auto lists = store.readLists();
    EXPECT_TRUE(lists.ok());
    return list == SerialList::ShouldInit ? lists.value().shouldInit : lists.value().alreadyInit;
  }

  MemorySerialStore store;
  FakeForm3Ui managerUi;
  TForm3 manager{managerUi, store, "Tallowick.exe"};
  FakeSelector selector;
  FakeForm4Ui ui;
  BookKeeper numbers{manager.book()};
  TForm4 form{ui, selector, numbers};
};

TEST(Form4, ShowsTheNumberOfTheSelector) {
  Dialogs s;
  s.selector.selected = 1;
  s.form.FormActivate();
  EXPECT_EQ(s.ui.label2, "ЕД80000002");
}

TEST(Form4, ConfirmingMovesTheNumberAndStoresBothLists) {
  struct Case {
    const char* what;
    int selected;
    const char* typed;
    Strings shouldInit, alreadyInit, selector;
  } cases[] = {
      // clang-format off
      {"the first entry", 0, "",
       {"ЕД80000002", "ЕД80000003"}, {"ЕД80000000", "ЕД80000001"}, {"ЕД80000002", "ЕД80000003"}},
      {"a number typed by hand", -1, "ЕД80000009",
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {"ЕД80000000", "ЕД80000009"},
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}},
      {"a listed number typed by hand", -1, "ЕД80000003",
       {"ЕД80000001", "ЕД80000002"}, {"ЕД80000000", "ЕД80000003"}, {"ЕД80000001", "ЕД80000002"}},
      {"a selection typed over", 0, "ЕД80000002",
       {"ЕД80000001", "ЕД80000003"}, {"ЕД80000000", "ЕД80000002"}, {"ЕД80000001", "ЕД80000003"}},
      {"a number already initialised", -1, "ЕД80000000",
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {"ЕД80000000"},
       {"ЕД80000001", "ЕД80000002", "ЕД80000003"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Dialogs s;
    s.selector.selected = c.selected;
    s.selector.typed = c.typed;
    s.form.FormActivate();
    s.form.Button2Click();
    EXPECT_EQ(s.manager.book().shouldInit(), c.shouldInit);
    EXPECT_EQ(s.manager.book().alreadyInit(), c.alreadyInit);
    EXPECT_EQ(s.reloaded(SerialList::ShouldInit), c.shouldInit);
    EXPECT_EQ(s.reloaded(SerialList::AlreadyInit), c.alreadyInit);
    EXPECT_EQ(s.selector.list, c.selector);
    EXPECT_EQ(s.ui.messages, Strings{"Инициализация завершена успешно!"});
    EXPECT_EQ(s.ui.closed, 1);
    EXPECT_TRUE(s.managerUi.button6()) << "the manager's Продолжить is not touched";
  }
}

TEST(Form4, RejectingChangesNothing) {
  Dialogs s;
  s.selector.selected = 0;
  const int writes = s.store.committedWrites();
  s.form.Button1Click();
  EXPECT_EQ(s.ui.messages, Strings{"Инициализация завершена некорректно!"});
  EXPECT_EQ(s.ui.closed, 1);
  EXPECT_EQ(s.store.committedWrites(), writes);
  EXPECT_EQ(s.selector.list.size(), 3u);
  EXPECT_EQ(s.manager.book().shouldInit().size(), 3u);
}

TEST(Form4, AFailedStoreIsReportedButTheNumberIsUsedUp) {
  Dialogs s;
  s.selector.selected = 0;
  s.store.failAfterChanges(3);
  s.form.Button2Click();
  ASSERT_EQ(s.ui.messages.size(), 1u);
  EXPECT_EQ(s.ui.messages[0].rfind(std::string(texts::kInitialisedNotSaved) + "\n", 0), 0u);
  EXPECT_EQ(s.selector.list, (Strings{"ЕД80000002", "ЕД80000003"}));
  EXPECT_EQ(s.manager.book().shouldInit(), (Strings{"ЕД80000002", "ЕД80000003"}));
  EXPECT_EQ(s.reloaded(SerialList::ShouldInit),
            (Strings{"ЕД80000001", "ЕД80000002", "ЕД80000003"}));

  // The next confirmation stores everything, the earlier number included.
  s.selector.selected = 0;
  s.form.Button2Click();
  EXPECT_EQ(s.reloaded(SerialList::ShouldInit), Strings{"ЕД80000003"});
  EXPECT_EQ(s.reloaded(SerialList::AlreadyInit),
            (Strings{"ЕД80000000", "ЕД80000001", "ЕД80000002"}));
}

}  // namespace
}  // namespace tallowick
