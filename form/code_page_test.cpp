#include "form/code_page.h"

#include <gtest/gtest.h>

#include "platform/wide_text_test_support.h"

namespace {

TEST(CodePage, PolishLetters) {
  const std::wstring letters =
      codes({0x105, 0x107, 0x119, 0x142, 0x144, 0xF3, 0x15B, 0x17C, 0x17A, 0x104, 0x106, 0x118,
             0x141, 0x143, 0xD3, 0x15A, 0x17B, 0x179});
  EXPECT_EQ(toPrinterCodePage(letters),
            codes({0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xBE, 0xAB, 0xA4, 0x8F, 0xA8, 0x9D,
                   0xE3, 0xE0, 0x97, 0xBD, 0x8D}));
  EXPECT_EQ(toPrinterCodePage(codes({0x141, 0xF3, 'd', 0x17A})), codes({0x9D, 0xA2, 'd', 0xAB}));
}

TEST(CodePage, BarsBecomeSpacedHyphens) {
  EXPECT_EQ(toPrinterCodePage(L"A|B"), L"A - B");
  EXPECT_EQ(toPrinterCodePage(L"||"), L" -  - ");
  EXPECT_EQ(toPrinterCodePage(L""), L"");
  EXPECT_EQ(replaceAll(L"aXbXX", L"X", L"XX"), L"aXXbXXXX");  // A replacement is not searched.
  EXPECT_EQ(replaceAll(L"abc", L"", L"-"), L"abc");
}

TEST(CodePage, OtherCharactersPrintAsThemselvesOrQuestionMark) {
  // Letters and signs code page 852 has, including Latin-1 ones that sit at other byte values.
  EXPECT_EQ(toPrinterCodePage(codes({0xFC, 0xF6, 0xE4, 0xE9, 0x10D, 0x159, 0x161, 0xA7, 0xB0})),
            codes({0x81, 0x94, 0x84, 0x82, 0x9F, 0xFD, 0xE7, 0xF5, 0xF8}));
  // Characters it lacks, and controls that would reach the printer as commands.
  EXPECT_EQ(toPrinterCodePage(codes({0x20AC, 0xE0, 0x1F682, 0x1B, 'E', '\n', '\r', 0x0C, 0x7F, 0})),
            L"??\?\?E?????");
  EXPECT_EQ(toPrinterCodePage(codes({0x80, 0x9F, 0xFF})), L"???");  // C1 controls and ÿ.
  EXPECT_EQ(toPrinterCodePage(L" ~Az09"), L" ~Az09");
}

TEST(CodePage, EveryResultIsOneByteAndNoControl) {
  for (unsigned value = 0; value < 0x3000; ++value) {
    std::wstring converted = toPrinterCodePage(codes({value}));
    for (wchar_t c : converted) {
      EXPECT_TRUE(c >= 0x20 && c < 0x100 && c != 0x7F) << "U+" << std::hex << value;
    }
    EXPECT_EQ(converted.size(), value == '|' ? 3u : 1u);
  }
}

}  // namespace
