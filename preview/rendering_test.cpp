#include "preview/rendering.h"

#include <gtest/gtest.h>

namespace {

TEST(Rendering, TheEndingOfTheNamePicksTheFormatInAnyCase) {
  RenderedFormat format = RenderedFormat::kPdf;
  EXPECT_TRUE(renderedFormatOf("form.PNG", format));
  EXPECT_EQ(format, RenderedFormat::kPng);
  EXPECT_TRUE(renderedFormatOf("C:\\Forma\\Łódź.Svg", format));
  EXPECT_EQ(format, RenderedFormat::kSvg);
  EXPECT_TRUE(renderedFormatOf("form-%d.pdf", format));
  EXPECT_EQ(format, RenderedFormat::kPdf);
  for (const char* name : {"LPT1", "form.prn", "pdf", "form.pdf.txt", ".pd"}) {
    EXPECT_FALSE(renderedFormatOf(name, format)) << name;
  }
}

}  // namespace
