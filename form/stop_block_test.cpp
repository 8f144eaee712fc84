#include "form/stop_block.h"

#include <gtest/gtest.h>

#include "form/form_text.h"
#include "form/printed_text_test_support.h"
#include "form/printer_code.h"

namespace {

StopCells fullWidthCells(unsigned char highlighted) {
  StopCells cells;
  buildStopCells(highlighted, L"Warszawa Centralna", L"EP09", L"EU07", L"x", L"512", L"187", L"160",
                 L"280.450000", L"09:08", L"09:18", L"5", L"10", L"ph", cells);
  return cells;
}

TEST(StopBlock, FullWidthBlockSizes) {
  EXPECT_EQ(buildStopBlock(fullWidthCells(0), 3).size(), 570u);
  EXPECT_EQ(buildStopBlock(fullWidthCells(1), 3).size(), 574u);
  std::wstring block = buildStopBlock(fullWidthCells(0), 0);
  EXPECT_EQ(std::count(block.begin(), block.end(), L'\n'), 6);
  EXPECT_EQ(block.back(), L'\n');
  EXPECT_EQ(block.find(L'\r'), std::wstring::npos);
  EXPECT_EQ(block.find(wchar_t{0x0C}), std::wstring::npos);
  std::vector<std::wstring> lines = printedLines(block);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i].size(), 85u) << "line " << i + 1;
}

TEST(StopBlock, OpeningRules) {
  const std::wstring h(1, 0xC4);
  auto rule = [&](wchar_t at3, wchar_t at49) {
    std::wstring line = L"\xC3" + std::wstring(2, 0xC4) + at3 + std::wstring(2, 0xC4) + L"\xC5" +
                        std::wstring(32, 0xC4) + L"\xC5" + std::wstring(9, 0xC4) + at49 +
                        std::wstring(9, 0xC4) + L"\xC5" + std::wstring(6, 0xC4) + L"\xC5" +
                        std::wstring(8, 0xC4) + L"\xC5" + std::wstring(8, 0xC4) + L"\xB4\n";
    return line;
  };
  StopCells cells = fullWidthCells(0);
  EXPECT_EQ(buildStopBlock(cells, 0).substr(0, 86), rule(0xC1, 0xC2));
  for (int32_t row : {1, 2, 98, -1}) {
    EXPECT_EQ(buildStopBlock(cells, row).substr(0, 86), rule(0xC4, 0xC5)) << row;
  }
}

TEST(StopBlock, CellsAreSetInTheirFields) {
  std::vector<std::wstring> lines = printedLines(buildStopBlock(fullWidthCells(0), 1));
  EXPECT_EQ(lines[1].substr(59, 8), L"\xB3 EP09 \xB3");
  EXPECT_EQ(lines[2].substr(0, 40),
            L"\xB3 ___ \xB3Warszawa Centralna" + std::wstring(14, L' ') + L"\xB3");
  EXPECT_EQ(lines[2].substr(39, 46),
            L"\xB3  09:08  \xB3    5    \xC3\xC4\xC4\xC4\xC4\xC4\xC4\xB4  512   \xB3  160   \xB3");
  EXPECT_EQ(lines[3].substr(59, 8), L"\xB3 EU07 \xC3");
  EXPECT_EQ(lines[4].substr(39, 20), L"\xB3  09:18  \xB3   10    ");
  EXPECT_EQ(lines[5].substr(6, 34),
            L"\xB3"
            L"280.450000" +
                std::wstring(20, L' ') + L"ph\xB3");
  EXPECT_EQ(lines[5].substr(59, 26), L"\xB3      \xB3  187   \xB3        \xB3");
}

TEST(StopBlock, WideNameMovesOnlyItsLineAndCellSixIsIgnored) {
  StopCells cells = fullWidthCells(0);
  cells[nameCell] = std::wstring(40, L'N');
  cells[6] = L"ignored";
  std::vector<std::wstring> lines = printedLines(buildStopBlock(cells, 1));
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i].size(), i == 2 ? 93u : 85u) << i;
}

const std::vector<StopCellIndex> kAllCells = {nameCell,      arrivalCell, runCell,  lok1Cell,
                                              massCell,      vmaxCell,    lok2Cell, distanceCell,
                                              departureCell, dwellCell,   lok3Cell, lengthCell};

TEST(StopBlock, PrintedColumnsCountWhatReachesPaper) {
  EXPECT_EQ(printedColumns(L""), 0);
  EXPECT_EQ(printedColumns(L"EU07-123"), 8);
  // Box-drawing characters and code page 852 letters take one column each.
  EXPECT_EQ(printedColumns(L"\xB3\xC4\xC5\xDA\xD9\x9D"), 6);
  EXPECT_EQ(printedColumns(L"\x1Bw1ab\x1Bw0"), 2);
  EXPECT_EQ(
      printedColumns(std::wstring(kDoubleHeightOn) + kBoldOn + L"ab" + kBoldOff + kDoubleHeightOff),
      2);
  EXPECT_EQ(printedColumns(L"V\x1BS1P\x1BT"), 2);
  EXPECT_EQ(printedColumns(L"ab\n"), 2);
  EXPECT_EQ(printedColumns(L"\x0C"), 0);
  EXPECT_EQ(printedColumns(L"ab\x1B"), 2);  // A lone ESC at the end.
  EXPECT_EQ(printedColumns(formFoot), 85);
  std::wstring block = buildStopBlock(fullWidthCells(1), 0);
  EXPECT_EQ(printedColumns(block.substr(0, block.find(L'\n'))), 85);
  EXPECT_EQ(printedColumns(block), 6 * 85);
}

TEST(StopBlock, CellsOfFieldWidthsMakeNoBlockWider) {
  for (bool highlighted : {false, true}) {
    const StopCells cells = fullWidthCells(highlighted);
    for (StopCellIndex cell : kAllCells) {
      EXPECT_EQ(printedColumns(cells[cell]), stopFieldWidth(cell)) << cell;
    }
    EXPECT_EQ(cellsWiderThanTheForm(cells, buildStopBlock(cells, 0)), std::vector<StopCellIndex>());
  }
}

TEST(StopBlock, EachCellWiderThanItsFieldIsFoundOnItsLine) {
  for (StopCellIndex cell : kAllCells) {
    StopCells cells = fullWidthCells(1);
    cells[cell] += L"!";
    const std::wstring block = buildStopBlock(cells, 1);
    EXPECT_EQ(cellsWiderThanTheForm(cells, block), std::vector<StopCellIndex>{cell});
    int wideLines = 0;
    for (const std::wstring& line : printedLines(block)) wideLines += line.size() == 86u;
    EXPECT_EQ(wideLines, 1) << cell;
  }
}

TEST(StopBlock, WidthIsMeasuredOnTheBuiltCells) {
  // "A|B" fits its field before the code page turns "|" into " - "; "ST44-1220" never fits.
  StopCells cells;
  buildStopCells(0, L"A|B", L"ST44-1220", L"EU07", L"x", L"512", L"187", L"160", L"280.450000",
                 L"09:08", L"09:18", L"5", L"10", L"ph", cells);
  const std::wstring block = buildStopBlock(cells, 0);
  EXPECT_EQ(cellsWiderThanTheForm(cells, block), (std::vector<StopCellIndex>{lok1Cell, nameCell}));
  std::vector<std::wstring> lines = printedLines(block);
  EXPECT_EQ(lines[1].size(), 88u);
  EXPECT_EQ(lines[2].size(), 87u);
}

TEST(StopBlock, HeadBlocksAndFootFormOneClosedTable) {
  std::wstring form = formHead;
  for (int32_t row = 0; row < 3; ++row) form += buildStopBlock(fullWidthCells(row == 1), row);
  form += formFoot;
  std::vector<std::wstring> lines = printedLines(form);
  ASSERT_EQ(lines.size(), 6u + 18u + 1u);
  EXPECT_EQ(firstOpenRule(lines), "");
}

}  // namespace
