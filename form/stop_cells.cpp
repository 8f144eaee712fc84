#include "form/stop_cells.h"

#include <utility>

#include "form/code_page.h"
#include "form/form_grid.h"
#include "form/printer_code.h"

namespace {

int32_t columns(const std::wstring& text) { return static_cast<int32_t>(text.size()); }

std::wstring lokCell(const std::wstring& lok) {
  return lok == L"x" ? blanks(kLokWidth) : centerInField(lok, kLokWidth);
}

// The distance at the left edge and the stop type at the right edge of the field.
std::wstring spreadInField(const std::wstring& left, const std::wstring& right, int32_t width) {
  int32_t gap = width - columns(left) - columns(right);
  std::wstring cell = left;
  cell.append(static_cast<size_t>(gap > 0 ? gap : 0), L' ');
  return cell + right;
}

void enclose(std::wstring& cell, const wchar_t* before, const wchar_t* after) {
  cell.insert(0, before);
  cell += after;
}

}  // namespace

int32_t stopFieldWidth(StopCellIndex cell) {
  switch (cell) {
    case nameCell:
    case distanceCell:
      return kNameWidth;
    case arrivalCell:
    case runCell:
    case departureCell:
    case dwellCell:
      return kTimeWidth;
    case lok1Cell:
    case lok2Cell:
    case lok3Cell:
      return kLokWidth;
    case massCell:
    case vmaxCell:
    case lengthCell:
      return kTrainWidth;
  }
  return 0;
}

std::wstring centerInField(std::wstring text, int32_t width) {
  // Every character counts, a NUL too: the code page conversion prints it as "?".
  const int32_t count = columns(text);
  int32_t left = (width - count) / 2;
  if (left < 0) left = 0;
  const int32_t right = width - left - count;
  text.insert(0, static_cast<size_t>(left), L' ');
  text.append(static_cast<size_t>(right > 0 ? right : 0), L' ');
  return text;
}

void buildStopCells(unsigned char highlighted, std::wstring stationName, std::wstring lok1,
                    std::wstring lok2, std::wstring lok3, std::wstring massText,
                    std::wstring lengthText, std::wstring vmax, std::wstring distanceText,
                    std::wstring arrivalText, std::wstring departureText,
                    std::wstring runMinutesText, std::wstring dwellMinutesText,
                    std::wstring stopTypeText, StopCells& cells) {
  const int32_t nameBlanks = kNameWidth - columns(stationName);
  cells[nameCell] = std::move(stationName);
  cells[nameCell].append(static_cast<size_t>(nameBlanks > 0 ? nameBlanks : 0), L' ');
  cells[arrivalCell] = centerInField(arrivalText, kTimeWidth);
  cells[runCell] = centerInField(runMinutesText, kTimeWidth);
  cells[lok1Cell] = centerInField(lok1, kLokWidth);
  cells[massCell] = centerInField(massText, kTrainWidth);
  cells[vmaxCell] = centerInField(vmax, kTrainWidth);
  cells[lok2Cell] = lokCell(lok2);
  cells[departureCell] = centerInField(departureText, kTimeWidth);
  cells[dwellCell] = centerInField(dwellMinutesText, kTimeWidth);
  cells[lok3Cell] = lokCell(lok3);
  cells[lengthCell] = centerInField(lengthText, kTrainWidth);
  cells[distanceCell] = spreadInField(distanceText, stopTypeText, kNameWidth);

  // Converted after padding, so widths are counted in characters; the switches come after the
  // conversion, which would otherwise turn them into "?".
  for (size_t index = nameCell; index <= lengthCell; ++index) {
    if (index == 6) continue;
    cells[index] = toPrinterCodePage(std::move(cells[index]));
  }
  if (highlighted != 0) enclose(cells[nameCell], kBoldOn, kBoldOff);
  for (size_t index : {nameCell, arrivalCell, runCell, massCell, vmaxCell, distanceCell,
                       departureCell, dwellCell, lengthCell}) {
    enclose(cells[index], kDoubleHeightOn, kDoubleHeightOff);
  }
}
