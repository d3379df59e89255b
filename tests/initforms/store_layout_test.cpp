#include <gtest/gtest.h>

#include "initforms/memory_serial_store.h"

namespace tallowick {
namespace {

using Strings = std::vector<std::string>;

const SerialLists kOld = {{"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {"ЕД80000000"}};
const SerialLists kNew = {{"DH21000001"}, {"ЕД80000000", "ЕД80000001", "ЕД80000002"}};

TEST(StoreLayout, ListsAreACountAndOneStringPerPosition) {
  MemorySerialStore store;
  ASSERT_TRUE(store.writeLists(kOld));
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(3));
  EXPECT_EQ(store.value(kShouldInitKey, "0"), RegistryValue::ofString("ЕД80000001"));
  EXPECT_EQ(store.value(kShouldInitKey, "2"), RegistryValue::ofString("ЕД80000003"));
  EXPECT_EQ(store.value(kAlreadyInitKey, "Count"), RegistryValue::ofDword(1));
  EXPECT_EQ(store.value(kAlreadyInitKey, "0"), RegistryValue::ofString("ЕД80000000"));
  EXPECT_TRUE(store.hasKey("SOFTWARE\\Morvent\\Tallowick\\1.0"));
  auto lists = store.readLists();
  ASSERT_TRUE(lists);
  EXPECT_EQ(lists.value(), kOld);
}

TEST(StoreLayout, RewriteLeavesNoNumberOfTheLongerListBehind) {
  MemorySerialStore store;
  ASSERT_TRUE(store.writeLists(kOld));
  store.putValue(kShouldInitKey, "7", RegistryValue::ofString("ЕД80000007"));  // stray
  store.putValue(kShouldInitKey, "Comment", RegistryValue::ofString("kept"));
  ASSERT_TRUE(store.writeLists(kNew));
  EXPECT_EQ(store.valueNames(kShouldInitKey), (Strings{"0", "Comment", "Count"}));
  EXPECT_EQ(store.value(kShouldInitKey, "Comment"), RegistryValue::ofString("kept"));
}

TEST(StoreLayout, MissingKeyOrCountIsAnEmptyList) {
  MemorySerialStore store;
  auto nothing = store.readLists();
  ASSERT_TRUE(nothing);
  EXPECT_EQ(nothing.value(), SerialLists{});
  store.putValue(kShouldInitKey, "0", RegistryValue::ofString("ЕД80000001"));
  auto noCount = store.readLists();
  ASSERT_TRUE(noCount);
  EXPECT_TRUE(noCount.value().shouldInit.empty());
}

TEST(StoreLayout, ValuesThatDoNotBearOutTheCountAreDamage) {
  struct Case {
    const char* what;
    const char* name;
    std::optional<RegistryValue> value;  // replaces (or with nullopt removes) one value
  } cases[] = {
      {"Count as text", "Count", RegistryValue::ofString("3")},
      {"a numbered value missing", "1", std::nullopt},
      {"a number as DWORD", "2", RegistryValue::ofDword(2)},
      {"Count beyond the values", "Count", RegistryValue::ofDword(0xFFFFFFFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySerialStore store;
    ASSERT_TRUE(store.writeLists(kOld));
    if (c.value) {
      store.putValue(kShouldInitKey, c.name, *c.value);
    } else {
      store.removeValue(kShouldInitKey, c.name);
    }
    auto lists = store.readLists();
    ASSERT_FALSE(lists);
    EXPECT_EQ(lists.error().kind, StoreErrorKind::Damaged);
    EXPECT_NE(lists.error().message.find("ShouldInit"), std::string::npos);
  }
}

TEST(StoreLayout, AWriteThatFailsHalfWayLeavesTheOldLists) {
  // Rewriting kOld with kNew makes 2 key creations, 4 deletions and 6 value writes.
  for (const int changes : {0, 1, 4, 7, 10, 11}) {
    SCOPED_TRACE(changes);
    MemorySerialStore store;
    ASSERT_TRUE(store.writeLists(kOld));
    store.failAfterChanges(changes);
    EXPECT_FALSE(store.writeLists(kNew));
    auto lists = store.readLists();
    ASSERT_TRUE(lists);
    EXPECT_EQ(lists.value(), kOld);
  }
  MemorySerialStore store;
  ASSERT_TRUE(store.writeLists(kOld));
  store.failAfterChanges(12);
  EXPECT_TRUE(store.writeLists(kNew)) << "the count above is the whole rewrite";
}

TEST(StoreLayout, TextsARegistryStringCannotHoldAreRefused) {
  MemorySerialStore store;
  ASSERT_TRUE(store.writeLists(kOld));
  for (const std::string& bad : {std::string("ЕД800\0"
                                             "01",
                                             9),
                                 std::string("\xC5\xC4")}) {
    auto written = store.writeLists({{bad}, {}});
    EXPECT_FALSE(written);
    EXPECT_EQ(store.readLists().value(), kOld);
  }
  EXPECT_FALSE(store.registerProgram(std::string("C:\\a\0b", 6)));
}

TEST(StoreLayout, CreatingMissingListsKeepsExistingOnes) {
  MemorySerialStore store;
  store.putValue(kAlreadyInitKey, "Count", RegistryValue::ofDword(1));
  store.putValue(kAlreadyInitKey, "0", RegistryValue::ofString("ЕД80000000"));
  ASSERT_TRUE(store.createMissingLists());
  EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(0));
  EXPECT_EQ(store.value(kAlreadyInitKey, "Count"), RegistryValue::ofDword(1));
  EXPECT_EQ(store.readLists().value().alreadyInit, Strings{"ЕД80000000"});
}

}  // namespace
}  // namespace tallowick
