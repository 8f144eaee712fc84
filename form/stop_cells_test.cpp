#include "form/stop_cells.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kDoubleHeight = L"\x1bw1";
const std::wstring kSingleHeight = L"\x1bw0";

std::wstring spaces(size_t n) { return std::wstring(n, L' '); }

StopCells sampleCells(unsigned char highlighted, const std::wstring& name,
                      const std::wstring& lok2 = L"EU07", const std::wstring& lok3 = L"x") {
  StopCells cells;
  buildStopCells(highlighted, name, L"EP09", lok2, lok3, L"512", L"187", L"160", L"12.500000",
                 L"15:05", L"15:07", L"15", L"2", L"ph", cells);
  return cells;
}

TEST(CenterInField, PadsWithTheOddBlankOnTheRight) {
  EXPECT_EQ(centerInField(L"", 9), spaces(9));
  EXPECT_EQ(centerInField(L"0", 9), spaces(4) + L"0" + spaces(4));
  EXPECT_EQ(centerInField(L"15", 9), spaces(3) + L"15" + spaces(4));
  EXPECT_EQ(centerInField(L"-----", 9), L"  -----  ");
  EXPECT_EQ(centerInField(L"EU07-1", 6), L"EU07-1");
  EXPECT_EQ(centerInField(L"EU07-12", 6), L"EU07-12");
  EXPECT_EQ(centerInField(std::wstring(L"a\0b", 3), 5), std::wstring(L" a\0b ", 5));
}

TEST(StopCells, PlainRowExactly) {
  StopCells cells = sampleCells(0, L"Kraków Płaszów");
  EXPECT_EQ(cells[nameCell], kDoubleHeight +
                                 L"Krak\xA2w P\x88"
                                 L"asz\xA2w" +
                                 spaces(18) + kSingleHeight);
  EXPECT_EQ(cells[arrivalCell], kDoubleHeight + L"  15:05  " + kSingleHeight);
  EXPECT_EQ(cells[runCell], kDoubleHeight + L"   15    " + kSingleHeight);
  EXPECT_EQ(cells[lok1Cell], L" EP09 ");
  EXPECT_EQ(cells[massCell], kDoubleHeight + L"  512   " + kSingleHeight);
  EXPECT_EQ(cells[vmaxCell], kDoubleHeight + L"  160   " + kSingleHeight);
  EXPECT_EQ(cells[6], L"");
  EXPECT_EQ(cells[lok2Cell], L" EU07 ");
  EXPECT_EQ(cells[distanceCell], kDoubleHeight + L"12.500000" + spaces(21) + L"ph" + kSingleHeight);
  EXPECT_EQ(cells[departureCell], kDoubleHeight + L"  15:07  " + kSingleHeight);
  EXPECT_EQ(cells[dwellCell], kDoubleHeight + L"    2    " + kSingleHeight);
  EXPECT_EQ(cells[lok3Cell], spaces(6));
  EXPECT_EQ(cells[lengthCell], kDoubleHeight + L"  187   " + kSingleHeight);
  for (size_t i = 0; i <= lengthCell; ++i) {
    EXPECT_EQ(cells[i].find(L"\x1b"
                            L"E"),
              std::wstring::npos)
        << i;
  }
}

TEST(StopCells, HighlightedNameIsBoldInsideDoubleHeight) {
  StopCells cells = sampleCells(1, L"Gdynia Główna");
  EXPECT_EQ(cells[nameCell], kDoubleHeight +
                                 L"\x1b"
                                 L"EGdynia G\x88\xA2wna" +
                                 spaces(19) +
                                 L"\x1b"
                                 L"F" +
                                 kSingleHeight);
  EXPECT_EQ(cells[arrivalCell], kDoubleHeight + L"  15:05  " + kSingleHeight);
  for (size_t i = 1; i <= lengthCell; ++i) {
    EXPECT_EQ(cells[i].find(L"\x1b"
                            L"E"),
              std::wstring::npos)
        << i;
  }
}

TEST(StopCells, WideTextsStayWhole) {
  const std::wstring longName(40, L'N');
  StopCells cells = sampleCells(0, longName, L"EU07-123", L"ET22");
  EXPECT_EQ(cells[nameCell], kDoubleHeight + longName + kSingleHeight);
  EXPECT_EQ(cells[lok2Cell], L"EU07-123");
  EXPECT_EQ(cells[lok3Cell], L" ET22 ");

  StopCells joined;
  buildStopCells(0, L"A", L"", L"", L"", L"", L"", L"", std::wstring(30, L'9'), L"", L"", L"", L"",
                 L"pt", joined);
  EXPECT_EQ(joined[distanceCell], kDoubleHeight + std::wstring(30, L'9') + L"pt" + kSingleHeight);
  EXPECT_EQ(joined[lok1Cell], spaces(6));
  EXPECT_EQ(joined[massCell], kDoubleHeight + spaces(8) + kSingleHeight);
}

TEST(StopCells, BarWidensAfterCountingAndControlsPrintAsQuestionMarks) {
  StopCells cells = sampleCells(0, L"A|B");
  EXPECT_EQ(cells[nameCell],
            kDoubleHeight + L"A - B" + spaces(29) + kSingleHeight);  // Counted as 3, printed as 5.
  StopCells injected = sampleCells(0,
                                   L"Evil\x1b"
                                   L"E\nname");
  EXPECT_EQ(injected[nameCell], kDoubleHeight + L"Evil?E?name" + spaces(21) + kSingleHeight);
}

}  // namespace
