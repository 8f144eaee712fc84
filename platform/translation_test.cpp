#include "platform/translation.h"

#include <gtest/gtest.h>

namespace {

// A translation may put the values in another order, or name one twice.
TEST(FormatMessage, PutsEachValueWhereItsIndexStands) {
  EXPECT_EQ(formatMessage("cannot read {0}: {1}", {"LPT1", "busy"}), "cannot read LPT1: busy");
  EXPECT_EQ(formatMessage("{1} – {0}, {1}", {"a", "b"}), "b – a, b");
  EXPECT_EQ(formatMessage("no values", {}), "no values");
}

// A value is never read again for places, and braces that name no value stay as they are.
TEST(FormatMessage, LeavesOtherBracesAlone) {
  EXPECT_EQ(formatMessage("{0}", {"{1}"}), "{1}");
  EXPECT_EQ(formatMessage("{2} {x} {} { {0", {"a", "b"}), "{2} {x} {} { {0");
  EXPECT_EQ(formatMessage("{{0}}", {"a"}), "{a}");
}

}  // namespace
