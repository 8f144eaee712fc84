#ifndef TIMETABLE_PREVIEW_SHEET_DRAWING_H_
#define TIMETABLE_PREVIEW_SHEET_DRAWING_H_

#include <cairo.h>

#include "preview/sheet_layout.h"

// Draws one sheet in points (A4 portrait at the origin of cr's user space): a white sheet,
// the characters in DejaVu Sans Mono on the printer's grid, box-drawing rules as strokes that
// join from cell to cell.
void drawSheet(cairo_t* cr, const Sheet& sheet);

#endif  // TIMETABLE_PREVIEW_SHEET_DRAWING_H_
