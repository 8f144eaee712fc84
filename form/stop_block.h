#ifndef TIMETABLE_FORM_STOP_BLOCK_H_
#define TIMETABLE_FORM_STOP_BLOCK_H_

#include <cstdint>
#include <string>

#include "form/stop_cells.h"

// The six ruled lines of one stop, each ending in a line feed, with the cells set whole into
// their fields. Row 0 begins with the rule that closes the form head and changes its column grid
// to the blocks' grid; every later row begins with an inner rule.
std::wstring buildStopBlock(const StopCells& cells, int32_t rowIndex);

#endif  // TIMETABLE_FORM_STOP_BLOCK_H_
