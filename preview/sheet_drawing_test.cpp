#include "preview/sheet_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "preview/printed_page_test_support.h"

namespace {

// Renders a small stream at 4 pixels per point and returns, for each pixel row, how many dark
// pixels it holds.
std::vector<int> inkPerRow(const std::string& bytes) {
  std::vector<std::string> warnings;
  std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
  const double dots = 4;
  const int width = static_cast<int>(kSheetWidth * dots);
  const int height = 200 * 4;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, dots, dots);
  drawSheet(cr, sheetsOfPage(pages.front()).front());
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  std::vector<int> ink(static_cast<size_t>(height));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) ink[static_cast<size_t>(y)] += (row[x] & 0xFF) < 128;
  }
  cairo_surface_destroy(surface);
  return ink;
}

int total(const std::vector<int>& ink, size_t from, size_t to) {
  int sum = 0;
  for (size_t y = from; y < to && y < ink.size(); ++y) sum += ink[y];
  return sum;
}

// Pixel rows of printed line n (from 0) at 4 pixels per point.
size_t lineTop(size_t n) {
  return static_cast<size_t>((kSheetMargin + static_cast<double>(n) * kLineHeight * gridScale()) *
                             4);
}

TEST(SheetDrawing, BoldPrintsMoreInkOnTheSameRows) {
  std::vector<int> plain = inkPerRow("\nHHHH");
  std::vector<int> bold = inkPerRow(
      "\n\x1b"
      "EHHHH");
  EXPECT_GT(total(bold, lineTop(1), lineTop(2)), total(plain, lineTop(1), lineTop(2)) * 11 / 10);
  EXPECT_EQ(total(bold, 0, lineTop(1)), 0);
}

TEST(SheetDrawing, DoubleHeightReachesIntoTheLineAbove) {
  std::vector<int> plain = inkPerRow("\nHHHH");
  std::vector<int> tall = inkPerRow("\n\x1bw1HHHH\x1bw0");
  EXPECT_EQ(total(plain, lineTop(0), lineTop(1)), 0);
  EXPECT_GT(total(tall, lineTop(0), lineTop(1)), 0);
  EXPECT_GT(total(tall, lineTop(1), lineTop(2)), 0);
}

TEST(SheetDrawing, SubscriptIsSmallerAndLower) {
  std::vector<int> plain = inkPerRow("HHHH");
  std::vector<int> sub = inkPerRow("\x1bS1HHHH\x1bT");
  EXPECT_LT(total(sub, 0, lineTop(2)), total(plain, 0, lineTop(2)));
  auto lowest = [](const std::vector<int>& ink) {
    size_t last = 0;
    for (size_t y = 0; y < ink.size(); ++y) {
      if (ink[y] > 0) last = y;
    }
    return last;
  };
  EXPECT_GT(lowest(sub), lowest(plain));
}

TEST(SheetDrawing, RulesJoinIntoUnbrokenLines) {
  // A box of code page 852 rules: the middle pixel row of line 0 is dark from the left corner's
  // centre to the right corner's centre, without a gap.
  std::vector<int> ink =
      inkPerRow("\xda\xc4\xc4\xc4\xc2\xc4\xbf\r\n\xb3   \xb3 \xb3\r\n\xc0\xc4\xc4\xc4\xc1\xc4\xd9");
  const size_t middle = (lineTop(0) + lineTop(1)) / 2;
  const int expected = static_cast<int>(6 * kColumnWidth * gridScale() * 4);
  EXPECT_GE(ink[middle], expected - 4);
  // Line 1 holds only the three vertical rules, dark on every pixel row of the line.
  for (size_t y = lineTop(1) + 1; y < lineTop(2) - 1; ++y) EXPECT_GE(ink[y], 3) << y;
}

}  // namespace
