#ifndef TIMETABLE_FORM_STOP_BLOCK_H_
#define TIMETABLE_FORM_STOP_BLOCK_H_

#include <cstdint>
#include <string>
#include <vector>

#include "form/stop_cells.h"

// The six ruled lines of one stop, each ending in a line feed, with the cells set whole into
// their fields. Row 0 begins with the rule that closes the form head and changes its column grid
// to the blocks' grid; every later row begins with an inner rule.
std::wstring buildStopBlock(const StopCells& cells, int32_t rowIndex);

// The columns a text in printer code takes on paper: every character but the ESC/P control
// sequences (ESC, its command and the parameter of ESC w and ESC S) and control characters such
// as the line feed. A box-drawing character takes one column, as every other character does.
int32_t printedColumns(const std::wstring& text);

// The cells that make a block built from them wider than the form: on each line of the block
// that prints wider than kFormColumns, the cells that print wider than their fields, in the
// order of the lines and then of the fields. Empty when every line of the block fits the form.
std::vector<StopCellIndex> cellsWiderThanTheForm(const StopCells& cells, const std::wstring& block);

#endif  // TIMETABLE_FORM_STOP_BLOCK_H_
