#include "platform/support_log.h"

#include <gtest/gtest.h>

#include <string>

TEST(SupportLog, ACutLogKeepsItsWholeLinesOrTheTailOfOneLongLine) {
  EXPECT_EQ(logTailToKeep("of a line\nsecond\nthird\n"), "second\nthird\n");
  // One line longer than the tail: its end is kept rather than nothing.
  const std::string longLine(5000, 'x');
  EXPECT_EQ(logTailToKeep(longLine + "\n"), longLine + "\n");
  EXPECT_EQ(logTailToKeep(longLine), longLine);
  EXPECT_EQ(logTailToKeep(""), "");
}
