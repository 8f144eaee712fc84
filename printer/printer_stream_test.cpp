#include "printer/printer_stream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PrinterBytes, EachValueBelow256IsItsByteAndLineFeedsGetCarriageReturns) {
  std::wstring text;
  for (unsigned value = 0; value < 256; ++value) text += static_cast<wchar_t>(value);
  std::string bytes = printerBytes(text, false);
  ASSERT_EQ(bytes.size(), 257u);
  EXPECT_EQ(bytes.substr(0, 12), std::string("\0\1\2\3\4\5\6\7\x08\x09\r\n", 12));
  for (unsigned value = 11; value < 256; ++value) {
    EXPECT_EQ(static_cast<unsigned char>(bytes[value + 1]), value);
  }
  EXPECT_EQ(printerBytes(L"a\nb\rc", false), "a\r\nb\rc");
  EXPECT_EQ(printerBytes(L"a\nb", true), "a\nb");
}

TEST(PrinterBytes, WideValuesPrintAsQuestionMarkAndTheRestFollows) {
  EXPECT_EQ(printerBytes(std::wstring(L"a") + wchar_t{0x142} + L"b\n", false), "a?b\r\n");
}

}  // namespace
