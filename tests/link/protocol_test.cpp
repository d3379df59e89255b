#include "link/protocol.h"

#include <gtest/gtest.h>

#include <set>

#include "link/command_result.h"

namespace tallowick {
namespace {

// The bits the windows read sit among others that mean something else; each reading must
// see its own bits only.
TEST(StatusBits, EachReadingSeesItsOwnBitsOnly) {
  struct Case {
    StatusBytes status;
    bool serviceMode;
    bool noRebootNeeded;
    OpenDocument document;
  };
  const Case cases[] = {
      {{}, false, false, OpenDocument::None},
      {{0x01, 0, 0, 0, 0, 0}, true, false, OpenDocument::None},
      {{0x04, 0, 0, 0, 0, 0}, false, true, OpenDocument::None},
      {{0x7A, 0x7F, 0x70, 0x7F, 0x7F, 0x7F}, false, false, OpenDocument::None},
      {{0x05, 0, 0x05, 0, 0, 0}, true, true, OpenDocument::ServiceReceipt},
      {{0, 0, 0x75, 0, 0, 0}, false, false, OpenDocument::ServiceReceipt},
      {{0, 0x05, 0x01, 0x05, 0, 0}, false, false, OpenDocument::FiscalReceipt},
      {{0, 0, 0x04, 0, 0, 0}, false, false, OpenDocument::FiscalReceipt},
      {{0, 0, 0x06, 0, 0, 0}, false, false, OpenDocument::FiscalReceipt},
      {{0, 0, 0x0F, 0, 0, 0}, false, false, OpenDocument::FiscalReceipt},
  };
  for (const auto& c : cases) {
    CommandResult r;
    r.Status = c.status;
    const int s0 = c.status[0], s2 = c.status[2];
    EXPECT_EQ(r.serviceMode(), c.serviceMode) << s0;
    EXPECT_EQ(r.noRebootNeeded(), c.noRebootNeeded) << s0;
    EXPECT_EQ(r.openDocument(), c.document) << s2;
  }
}

TEST(LinkTexts, EveryRefusalIsExplainedAndEveryWaitEndNamedOnce) {
  {
    using enum LinkRefusal;
    for (const LinkRefusal r : {TALLOWICK_LINK_REFUSALS(TALLOWICK_ENUMERATOR)})
      EXPECT_EQ(refusalText(r).empty(), r == None) << static_cast<int>(r);
  }
  using enum WaitEnd;
  std::set<std::string_view> names;
  for (const WaitEnd e : {TALLOWICK_WAIT_ENDS(TALLOWICK_ENUMERATOR)}) {
    EXPECT_FALSE(waitEndName(e).empty()) << static_cast<int>(e);
    EXPECT_TRUE(names.insert(waitEndName(e)).second) << waitEndName(e);
  }
}

}  // namespace
}  // namespace tallowick
