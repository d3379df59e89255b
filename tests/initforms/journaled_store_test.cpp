// The book where the registry has no transactions: a write cut off at any change reads
// back as the old lists or the new ones, never a mix, and a damaged journal is reported.
#include <gtest/gtest.h>

#include "initforms/journaled_registry.h"
#include "initforms/memory_serial_store.h"

namespace tallowick {
namespace {

using Strings = std::vector<std::string>;

const SerialLists kOld = {{"ЕД80000001", "ЕД80000002", "ЕД80000003"}, {"ЕД80000000"}};
const SerialLists kNew = {{"DH21000001"}, {"ЕД80000000", "ЕД80000001", "ЕД80000002"}};

MemorySerialStore storeWith(const SerialLists& lists) {
  MemorySerialStore store(MemorySerialStore::Transactions::None);
  EXPECT_TRUE(store.writeLists(lists));
  return store;
}

TEST(JournaledStore, AWriteCutOffAtAnyChangeReadsAsTheOldOrTheNewLists) {
  const MemorySerialStore clean = storeWith(kNew);
  bool sawOld = false;
  bool sawNew = false;
  for (int changes = 0;; ++changes) {
    SCOPED_TRACE(changes);
    MemorySerialStore store = storeWith(kOld);
    store.failAfterChanges(changes);
    const bool completed = static_cast<bool>(store.writeLists(kNew));
    // The next operation finishes or drops what the cut-off write left.
    auto lists = store.readLists();
    ASSERT_TRUE(lists) << lists.error().message;
    if (lists.value() == kOld) {
      EXPECT_FALSE(sawNew) << "once the journal is complete, the new lists win";
      sawOld = true;
    } else {
      ASSERT_EQ(lists.value(), kNew);
      sawNew = true;
    }
    EXPECT_FALSE(store.hasKey(kJournalKey));
    for (const std::string_view key : {kShouldInitKey, kAlreadyInitKey}) {
      EXPECT_EQ(store.valueNames(key),
                lists.value() == kNew ? clean.valueNames(key) : storeWith(kOld).valueNames(key));
    }
    if (completed) break;
  }
  EXPECT_TRUE(sawOld && sawNew);
}

TEST(JournaledStore, AFinishedWriteLeavesOnlyTheBooksKeys) {
  MemorySerialStore store = storeWith(kOld);
  ASSERT_TRUE(store.registerProgram("C:\\Tallowick\\Tallowick.exe"));
  ASSERT_TRUE(store.createMissingLists());
  ASSERT_TRUE(store.writeLists(kNew));
  EXPECT_FALSE(store.hasKey(kJournalKey));
  EXPECT_EQ(store.valueNames(kShouldInitKey), (Strings{"0", "Count"}));
  EXPECT_EQ(store.value(kAppPathsKey, "Path"),
            RegistryValue::ofString("C:\\Tallowick\\Tallowick.exe"));
  EXPECT_EQ(store.readLists().value(), kNew);
}

TEST(JournaledStore, ADamagedJournalIsReportedAndChangesNothing) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, RegistryValue>> journal;
  } cases[] = {
      {"Count as text", {{"Count", RegistryValue::ofString("1")}}},
      {"an entry missing",
       {{"Count", RegistryValue::ofDword(2)}, {"0", RegistryValue::ofString("X1:a0:")}}},
      {"an entry as DWORD",
       {{"Count", RegistryValue::ofDword(1)}, {"0", RegistryValue::ofDword(7)}}},
      {"an unknown kind",
       {{"Count", RegistryValue::ofDword(1)}, {"0", RegistryValue::ofString("Q1:a0:")}}},
      {"a length past the end",
       {{"Count", RegistryValue::ofDword(1)}, {"0", RegistryValue::ofString("K9:a0:")}}},
      {"text after the fields",
       {{"Count", RegistryValue::ofDword(1)}, {"0", RegistryValue::ofString("K1:a0:x")}}},
      {"a number that is no DWORD",
       {{"Count", RegistryValue::ofDword(1)},
        {"0", RegistryValue::ofString("D1:a1:b10:4294967296")}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySerialStore store = storeWith(kOld);
    for (const auto& [name, value] : c.journal)
      store.putValue(kJournalKey, name, value);
    auto lists = store.readLists();
    ASSERT_FALSE(lists);
    EXPECT_EQ(lists.error().kind, StoreErrorKind::Damaged);
    EXPECT_NE(lists.error().message.find("PendingWrite"), std::string::npos);
    EXPECT_FALSE(store.writeLists(kNew)) << "nothing is written over an unfinished write";
    EXPECT_TRUE(store.hasKey(kJournalKey)) << "kept for whoever repairs it";
    EXPECT_EQ(store.value(kShouldInitKey, "Count"), RegistryValue::ofDword(3));
    store.removeKey(kJournalKey);
    EXPECT_EQ(store.readLists().value(), kOld);
  }
}

TEST(JournaledStore, AJournalWithoutItsCountIsDropped) {
  MemorySerialStore store = storeWith(kOld);
  // Cut off while the journal itself was written: nothing else had changed.
  store.putValue(kJournalKey, "0",
                 RegistryValue::ofString("X41:SOFTWARE\\Morvent\\Tallowick\\1.0\\ShouldInit1:0"));
  EXPECT_EQ(store.readLists().value(), kOld);
  EXPECT_FALSE(store.hasKey(kJournalKey));
  EXPECT_EQ(store.value(kShouldInitKey, "0"), RegistryValue::ofString("ЕД80000001"));
}

}  // namespace
}  // namespace tallowick
