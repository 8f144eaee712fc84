#ifndef TIMETABLE_FORM_STOP_CELLS_H_
#define TIMETABLE_FORM_STOP_CELLS_H_

#include <array>
#include <cstdint>
#include <string>

// The cells of one stop block, in printer code, each as wide as its field in the block's grid
// unless its text is wider. Entries 0 to 5 and 7 to 12 are used.
using StopCells = std::array<std::wstring, 99>;

enum StopCellIndex : size_t {
  nameCell = 0,
  arrivalCell = 1,
  runCell = 2,
  lok1Cell = 3,
  massCell = 4,
  vmaxCell = 5,
  lok2Cell = 7,
  distanceCell = 8,
  departureCell = 9,
  dwellCell = 10,
  lok3Cell = 11,
  lengthCell = 12,
};

// The width in columns of the field a cell is set in: its width when its text fits.
int32_t stopFieldWidth(StopCellIndex cell);

// The text with blanks on both sides to fill width columns, the odd blank on the right. A text
// as wide as the field or wider comes back unchanged.
std::wstring centerInField(std::wstring text, int32_t width);

// Pads each text to its field (widths counted before the code page conversion), converts it to
// printer code, and then adds the bold switches around a highlighted station name and the
// double-height switches around every cell but the locomotive ones. A locomotive word "x" (no
// locomotive) at LOK2 or LOK3 leaves that field blank.
void buildStopCells(unsigned char highlighted, std::wstring stationName, std::wstring lok1,
                    std::wstring lok2, std::wstring lok3, std::wstring massText,
                    std::wstring lengthText, std::wstring vmax, std::wstring distanceText,
                    std::wstring arrivalText, std::wstring departureText,
                    std::wstring runMinutesText, std::wstring dwellMinutesText,
                    std::wstring stopTypeText, StopCells& cells);

#endif  // TIMETABLE_FORM_STOP_CELLS_H_
