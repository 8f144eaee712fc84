#include "platform/messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Messages, OneLineBlanksControlsHoweverTheyAreEncoded) {
  EXPECT_EQ(oneLine("a\nb\tc\x1b[31m\x7f"), "a b c [31m ");
  // CSI and NEL as UTF-8, and the right-to-left override and an isolate around a name.
  EXPECT_EQ(oneLine("x\xC2\x9B"
                    "31m\xC2\x85y"),
            "x 31m y");
  EXPECT_EQ(oneLine("\xE2\x80\xAE"
                    "fdp.exe \xE2\x81\xA6z\xE2\x81\xA9"),
            " fdp.exe  z ");
  EXPECT_EQ(oneLine("Łódź Kaliska, Główny → €"), "Łódź Kaliska, Główny → €");
  // Bytes that are no UTF-8 never pass as a control, however many U+FFFD stand for them: a lone
  // CSI byte, overlong forms of CSI and of ESC.
  std::string shown = oneLine(
      "a\x9B"
      "b\xE0\x82\x9B"
      "c\xC0\x9B"
      "d");
  for (size_t at = shown.find("\xEF\xBF\xBD"); at != std::string::npos;
       at = shown.find("\xEF\xBF\xBD")) {
    shown.erase(at, 3);
  }
  EXPECT_EQ(shown, "abcd");
}

TEST(Messages, OneLineBlanksEveryBidirectionalFormatCharacter) {
  // The left-to-right, right-to-left and Arabic letter marks, each embedding and override, and
  // each isolate and its end.
  const std::string marks[] = {"\xE2\x80\x8E", "\xE2\x80\x8F", "\xD8\x9C",     "\xE2\x80\xAA",
                               "\xE2\x80\xAB", "\xE2\x80\xAC", "\xE2\x80\xAD", "\xE2\x80\xAE",
                               "\xE2\x81\xA6", "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"};
  for (const std::string& mark : marks) EXPECT_EQ(oneLine("a" + mark + "b"), "a b") << mark;
  // Their neighbours are ordinary text: the zero-width joiner, the Arabic letter before the mark.
  EXPECT_EQ(oneLine("\xE2\x80\x8D\xD8\x9B"), "\xE2\x80\x8D\xD8\x9B");
}

TEST(Messages, EachLineOneLineCleansEachLineAndKeepsTheLineEnds) {
  EXPECT_EQ(eachLineOneLine("a\x1b]0;x\x07\nb\tc\n"), "a ]0;x \nb c\n");
  EXPECT_EQ(eachLineOneLine("last\r"), "last ");
  EXPECT_EQ(eachLineOneLine(""), "");
}

// English quotes a value with plain quotation marks, which scripts may look for.
TEST(Messages, QuotedPutsTheValueBetweenQuotationMarks) {
  EXPECT_EQ(quoted("Kraków Płaszów"), "\"Kraków Płaszów\"");
}

// A text of megabytes, served or typed, is quoted as its start: whole characters and "...".
TEST(Messages, QuotedCutsALongTextBeforeAWholeCharacter) {
  const std::string limit(kQuotedBytes, 'x');
  EXPECT_EQ(quoted(limit), "\"" + limit + "\"");
  EXPECT_EQ(quoted(limit + "y"), "\"" + limit + "...\"");
  // "ł" is two bytes, and would be cut after its first.
  const std::string head(kQuotedBytes - 1, 'x');
  EXPECT_EQ(quoted(head + "ł" + std::string(1 << 20, 'y')), "\"" + head + "...\"");
}

TEST(Messages, ListedJoinsTheLastTwoWithAndTheOthersWithCommas) {
  EXPECT_EQ(listed({}), "");
  EXPECT_EQ(listed({"service"}), "service");
  EXPECT_EQ(listed({"service", "proxy"}), "service and proxy");
  EXPECT_EQ(listed({"service", "ca-file", "proxy"}), "service, ca-file and proxy");
}

}  // namespace
