// Checks the code page table against a second source: the C library's own CP852 converter.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>

#include "form/code_page.h"

namespace {

TEST(CodePageAgainstIconv, EveryHighByteRoundTrips) {
  iconv_t converter = iconv_open("UTF-32LE", "CP852");
  ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1)) << "no CP852 converter installed";
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPointer = in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = 4;
    ASSERT_NE(iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft),
              static_cast<size_t>(-1));
    const unsigned unicode =
        unsigned{out[0]} | unsigned{out[1]} << 8 | unsigned{out[2]} << 16 | unsigned{out[3]} << 24;
    EXPECT_EQ(static_cast<unsigned>(kCodePage852High[byte - 0x80]), unicode) << std::hex << byte;
    EXPECT_EQ(toPrinterCodePage(std::wstring(1, static_cast<wchar_t>(unicode))),
              std::wstring(1, static_cast<wchar_t>(byte)))
        << std::hex << byte;
  }
  iconv_close(converter);
}

}  // namespace
