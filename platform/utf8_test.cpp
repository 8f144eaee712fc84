#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/wide_text_test_support.h"

namespace {

const wchar_t kReplacement = 0xFFFD;

TEST(Utf8ToWide, WellFormedText) {
  EXPECT_EQ(utf8ToWide(""), L"");
  EXPECT_EQ(utf8ToWide("SBL 12"), L"SBL 12");
  EXPECT_EQ(utf8ToWide("Łódź"), codes({0x141, 0xF3, 'd', 0x17A}));
  EXPECT_EQ(utf8ToWide("€"), codes({0x20AC}));
  // A character beyond the basic plane: one wide character, or a surrogate pair where wide
  // characters have 16 bits.
  std::wstring train = utf8ToWide("\xF0\x9F\x9A\x82");
  EXPECT_EQ(train, sizeof(wchar_t) == 2 ? codes({0xD83D, 0xDE82}) : codes({0x1F682}));
  EXPECT_EQ(utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf8ToWide, IllFormedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(utf8ToWide("\x80"), codes({kReplacement}));
  EXPECT_EQ(utf8ToWide("a\xC5"), codes({'a', kReplacement}));  // Truncated at the end.
  EXPECT_EQ(utf8ToWide("\xE2\x82"
                       "A"),
            codes({kReplacement, 'A'}));                                   // Truncated, then ASCII.
  EXPECT_EQ(utf8ToWide("\xC0\xAF"), codes({kReplacement, kReplacement}));  // Overlong.
  // A surrogate and a value beyond U+10FFFF: how many replacement characters stand for them is
  // each decoder's own, but nothing else may come out.
  for (const char* bytes : {"\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    const std::wstring decoded = utf8ToWide(bytes);
    EXPECT_FALSE(decoded.empty());
    EXPECT_EQ(decoded.find_first_not_of(kReplacement), std::wstring::npos);
  }
  EXPECT_EQ(utf8ToWide("\xFF"
                       "b"),
            codes({kReplacement, 'b'}));
}

TEST(WideToUtf8, GivesBackTheBytesUtf8ToWideTook) {
  for (const std::string& text : std::vector<std::string>{
           "", "ST44-1220", "Łódź", "€", "\xF0\x9F\x9A\x82", std::string("a\0b", 3)}) {
    EXPECT_EQ(wideToUtf8(utf8ToWide(text)), text);
  }
  EXPECT_EQ(wideToUtf8(codes({0x141, 'x', 0x20AC})), "Łx€");
  EXPECT_EQ(wideToUtf8(codes({0xD800, 'a'})),
            "\xEF\xBF\xBD"
            "a");  // A lone surrogate.
}

}  // namespace
