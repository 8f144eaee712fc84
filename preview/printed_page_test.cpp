#include "preview/printed_page.h"

#include <gtest/gtest.h>

#include "preview/printed_page_test_support.h"
#include "preview/terminal_text.h"
#include "preview/terminal_text_test_support.h"

namespace {

std::vector<PrintedPage> interpret(const std::string& bytes) {
  std::vector<std::string> warnings;
  std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
  EXPECT_TRUE(warnings.empty());
  return pages;
}

TEST(PrintedPage, SwitchesMarkTheCharactersTheyEnclose) {
  std::vector<PrintedPage> pages = interpret(
      "a\x1b"
      "Eb\x1b"
      "F\x1bw1c\x1bw0\x1bS1d\x1bTe");
  ASSERT_EQ(pages.size(), 1u);
  const PrintedLine& line = pages[0].lines[0];
  ASSERT_EQ(line.size(), 5u);
  EXPECT_FALSE(line[0].bold);
  EXPECT_TRUE(line[1].bold);
  EXPECT_TRUE(line[2].doubleHeight);
  EXPECT_FALSE(line[2].bold);
  EXPECT_TRUE(line[3].subscript);
  EXPECT_FALSE(line[4].subscript);

  // The switches also take the argument as the byte 1 or 0.
  std::vector<PrintedPage> binary =
      interpret(std::string("\x1bw\x01"
                            "f\x1bw\x00g",
                            8));
  EXPECT_TRUE(binary[0].lines[0][0].doubleHeight);
  EXPECT_FALSE(binary[0].lines[0][1].doubleHeight);
}

TEST(PrintedPage, LinesPagesAndOverprinting) {
  std::vector<PrintedPage> pages = interpret(
      "abc\rX\r\n\nd\x0c"
      "e\x0c");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(pages[0].endsInFormFeed);
  EXPECT_EQ(terminalText(pages, false), "Xbc\n\nd\f\ne\f\n");
  EXPECT_EQ(interpret("").size(), 1u);
}

TEST(PrintedPage, CodePage852IsDecoded) {
  EXPECT_EQ(terminalText(interpret("\x9d\xa2"
                                   "d\xab \xda\xc4\xbf"),
                         false),
            "Łódź ┌─┐\n");
  EXPECT_EQ(terminalText(interpret("a\x1b"
                                   "Eb\x1b"
                                   "Fc"),
                         true),
            "a\x1b[1mb\x1b[22mc\n");
}

TEST(PrintedPage, UnknownCommandsAreSkippedWithAWarning) {
  std::vector<std::string> warnings;
  std::vector<PrintedPage> pages = interpretPrinterBytes("a\x1b@b\x1b", warnings);
  EXPECT_EQ(terminalText(pages, false), "ab\n");
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "skipped the printer command ESC 0x40 at byte 1");
  EXPECT_EQ(warnings[1], "skipped the printer command ESC at byte 4");
}

TEST(PrintedPage, KnownCommandsAreSkippedWithTheirParameters) {
  // A left margin of '5', 8-dot graphics of three columns, an extended command with three bytes,
  // a bit image of two 24-dot columns, a page length in inches, and tab stops ended by NUL: none
  // of their bytes is printed. The unknown ESC . is skipped alone and what follows prints.
  const std::string bytes(
      "a\x1bl5b\x1bK\x03\x00xyzc\x1b(t\x03\x00"
      "ABCd\x1b*\x21\x02\x00"
      "abcdefe\x1b"
      "C\x00\x0b"
      "f\x1b"
      "D\x08\x10\x00g\x1b.h",
      48);
  std::vector<std::string> warnings;
  std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
  EXPECT_EQ(terminalText(pages, false), "abcdefgh\n");
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "skipped the printer command ESC 0x6C 0x35 at byte 1",
                          "skipped the printer command ESC 0x4B 0x03 0x00 and 3 bytes of data "
                          "at byte 5",
                          "skipped the printer command ESC 0x28 0x74 0x03 0x00 and 3 bytes of "
                          "data at byte 13",
                          "skipped the printer command ESC 0x2A 0x21 0x02 0x00 and 6 bytes of "
                          "data at byte 22",
                          "skipped the printer command ESC 0x43 0x00 0x0B at byte 34",
                          "skipped the printer command ESC 0x44 0x08 0x10 0x00 at byte 39",
                          "skipped the unknown printer command ESC 0x2E at byte 45",
                      }));
  // Parameters cut off by the end of the stream end the command there.
  warnings.clear();
  EXPECT_EQ(terminalText(interpretPrinterBytes("x\x1bK\x05\x00yz", warnings), false), "x\n");
}

TEST(PrintedPage, ManySkippedCommandsAreCountedNotEachNamed) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += "\x1b@";
  std::vector<std::string> warnings;
  interpretPrinterBytes(bytes + "x", warnings);
  ASSERT_EQ(warnings.size(), kMaxSkippedCommandWarnings + 1);
  EXPECT_EQ(warnings[kMaxSkippedCommandWarnings - 1],
            "skipped the printer command ESC 0x40 at byte " +
                std::to_string(2 * kMaxSkippedCommandWarnings - 2));
  EXPECT_EQ(warnings.back(), "skipped " + std::to_string(1000 - kMaxSkippedCommandWarnings) +
                                 " more printer commands");
}

}  // namespace
