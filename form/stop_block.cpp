#include "form/stop_block.h"

#include "form/printer_code.h"

namespace {

const wchar_t kV = kVertical;
const wchar_t kH = kHorizontal;

// Field 1 holds " ___ " on line 3, where the driver ticks the stop off; blank elsewhere.
const wchar_t kTickField[] = L" ___ ";

std::wstring openingRule(int32_t rowIndex) {
  // Row 0 ends the head's rule between its two narrow fields at column 3 and starts the rule
  // between the two time fields at column 49.
  const bool first = rowIndex == 0;
  return kTeeRight + repeated(kH, 2) + (first ? kTeeUp : kH) + repeated(kH, 2) + kCross +
         repeated(kH, 32) + kCross + repeated(kH, 9) + (first ? kTeeDown : kCross) +
         repeated(kH, 9) + kCross + repeated(kH, 6) + kCross + repeated(kH, 8) + kCross +
         repeated(kH, 8) + kTeeLeft + L'\n';
}

// Lines 2, 4, 5 and 6 begin with the same empty tick and name or time fields.
std::wstring emptyLeft(int32_t nameBlanks) { return kV + blanks(5) + kV + blanks(nameBlanks) + kV; }

}  // namespace

std::wstring buildStopBlock(const StopCells& cells, int32_t rowIndex) {
  std::wstring block = openingRule(rowIndex);
  block += emptyLeft(32) + blanks(9) + kV + blanks(9) + kV + cells[lok1Cell] + kV + blanks(8) +
           kV + blanks(8) + kV + L'\n';
  block += kV + std::wstring(kTickField) + kV + cells[nameCell] + kV + cells[arrivalCell] + kV +
           cells[runCell] + kTeeRight + repeated(kH, 6) + kTeeLeft + cells[massCell] + kV +
           cells[vmaxCell] + kV + L'\n';
  block += emptyLeft(32) + blanks(9) + kV + blanks(9) + kV + cells[lok2Cell] + kTeeRight +
           repeated(kH, 8) + kCross + repeated(kH, 8) + kTeeLeft + L'\n';
  block += emptyLeft(32) + cells[departureCell] + kV + cells[dwellCell] + kTeeRight +
           repeated(kH, 6) + kTeeLeft + blanks(8) + kV + blanks(8) + kV + L'\n';
  block += kV + blanks(5) + kV + cells[distanceCell] + kV + blanks(9) + kV + blanks(9) + kV +
           cells[lok3Cell] + kV + cells[lengthCell] + kV + blanks(8) + kV + L'\n';
  return block;
}
