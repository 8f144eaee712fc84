#include "preview/rendering.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "preview/rendering_test_support.h"
#include "preview/sheet_drawing.h"

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

std::string repeated(const std::string& text, size_t times) {
  std::string all;
  for (size_t i = 0; i < times; ++i) all += text;
  return all;
}

TEST(Rendering, AFormOfMoreSheetsThanTheLimitIsRefused) {
  std::vector<std::string> warnings;
  const std::string mostSheets = repeated("x\f", kMaxSheets);
  EXPECT_EQ(countSheets(printerBytesOf(mostSheets), warnings), kMaxSheets);
  const std::string expected = "the form takes more than " + std::to_string(kMaxSheets) +
                               " A4 sheets, the most that is drawn";
  try {
    renderPdf(mostSheets + "x");
    ADD_FAILURE() << "one sheet more than the limit was drawn";
  } catch (const std::runtime_error& failure) {
    EXPECT_EQ(failure.what(), expected);
  }
  // One page as long as the limit's sheets and a line more, refused before its lines are kept.
  const std::string longPage = std::string(kMaxSheets * linesPerSheet(), '\n') + "x";
  EXPECT_THROW(countSheets(printerBytesOf(longPage), warnings), std::runtime_error);
}

TEST(Rendering, TheParametersOfASkippedCommandAreNotDrawn) {
  // A left margin of 5 columns (ESC l '5') leaves the same sheet as no command at all.
  EXPECT_TRUE(renderPng("a\x1bl5b") == renderPng("ab"));
}

}  // namespace
