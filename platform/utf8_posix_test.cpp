// Our own decoder replaces each maximal ill-formed subsequence with one U+FFFD.
#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace {

TEST(Utf8ToWidePosix, OneReplacementPerMaximalSubpart) {
  const std::wstring r(1, 0xFFFD);
  EXPECT_EQ(utf8ToWide("\xF4\x90\x80\x80"), r + r + r + r);  // F4 allows only 80 to 8F next.
  EXPECT_EQ(utf8ToWide("\xED\xA0\x80"), r + r + r);          // ED allows only 80 to 9F next.
  EXPECT_EQ(utf8ToWide("\xF0\x9F\x9A"), r);                  // A truncated four-byte sequence.
  EXPECT_EQ(utf8ToWide("\xF0\x9F\x9A\xF0\x9F\x9A\x82"), r + std::wstring(1, 0x1F682));
}

}  // namespace
