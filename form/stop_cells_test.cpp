#include "form/stop_cells.h"

#include <gtest/gtest.h>

namespace {

const std::wstring DH = L"\x1bw1";
const std::wstring SH = L"\x1bw0";

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
  EXPECT_EQ(cells[nameCell], DH +
                                 L"Krak\xA2w P\x88"
                                 L"asz\xA2w" +
                                 spaces(18) + SH);
  EXPECT_EQ(cells[arrivalCell], DH + L"  15:05  " + SH);
  EXPECT_EQ(cells[runCell], DH + L"   15    " + SH);
  EXPECT_EQ(cells[lok1Cell], L" EP09 ");
  EXPECT_EQ(cells[massCell], DH + L"  512   " + SH);
  EXPECT_EQ(cells[vmaxCell], DH + L"  160   " + SH);
  EXPECT_EQ(cells[6], L"");
  EXPECT_EQ(cells[lok2Cell], L" EU07 ");
  EXPECT_EQ(cells[distanceCell], DH + L"12.500000" + spaces(21) + L"ph" + SH);
  EXPECT_EQ(cells[departureCell], DH + L"  15:07  " + SH);
  EXPECT_EQ(cells[dwellCell], DH + L"    2    " + SH);
  EXPECT_EQ(cells[lok3Cell], spaces(6));
  EXPECT_EQ(cells[lengthCell], DH + L"  187   " + SH);
  for (size_t i = 0; i <= lengthCell; ++i) {
    EXPECT_EQ(cells[i].find(L"\x1b"
                            L"E"),
              std::wstring::npos)
        << i;
  }
}

TEST(StopCells, HighlightedNameIsBoldInsideDoubleHeight) {
  StopCells cells = sampleCells(1, L"Gdynia Główna");
  EXPECT_EQ(cells[nameCell], DH +
                                 L"\x1b"
                                 L"EGdynia G\x88\xA2wna" +
                                 spaces(19) +
                                 L"\x1b"
                                 L"F" +
                                 SH);
  EXPECT_EQ(cells[arrivalCell], DH + L"  15:05  " + SH);
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
  EXPECT_EQ(cells[nameCell], DH + longName + SH);
  EXPECT_EQ(cells[lok2Cell], L"EU07-123");
  EXPECT_EQ(cells[lok3Cell], L" ET22 ");

  StopCells joined;
  buildStopCells(0, L"A", L"", L"", L"", L"", L"", L"", std::wstring(30, L'9'), L"", L"", L"", L"",
                 L"pt", joined);
  EXPECT_EQ(joined[distanceCell], DH + std::wstring(30, L'9') + L"pt" + SH);
  EXPECT_EQ(joined[lok1Cell], spaces(6));
  EXPECT_EQ(joined[massCell], DH + spaces(8) + SH);
}

TEST(StopCells, BarWidensAfterCountingAndControlsPrintAsQuestionMarks) {
  StopCells cells = sampleCells(0, L"A|B");
  EXPECT_EQ(cells[nameCell], DH + L"A - B" + spaces(29) + SH);  // Counted as 3, printed as 5.
  StopCells injected = sampleCells(0,
                                   L"Evil\x1b"
                                   L"E\nname");
  EXPECT_EQ(injected[nameCell], DH + L"Evil?E?name" + spaces(21) + SH);
}

}  // namespace
