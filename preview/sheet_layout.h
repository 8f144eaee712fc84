#ifndef TIMETABLE_PREVIEW_SHEET_LAYOUT_H_
#define TIMETABLE_PREVIEW_SHEET_LAYOUT_H_

// Where the printed lines fall on A4 sheets, apart from cairo, so that the files that count or
// hand over sheets do not read the drawing library.
#include <cstddef>
#include <vector>

#include "preview/printed_page.h"

// The printer's grid in points: 10 characters per inch, 6 lines per inch.
const double kColumnWidth = 7.2;
const double kLineHeight = 12.0;

// A4 portrait in points, and the margin around the printed grid.
const double kSheetWidth = 595.276;
const double kSheetHeight = 841.89;
const double kSheetMargin = 28.35;

// The part of a printed page that goes on one A4 sheet. A printed page longer than a sheet
// continues on the next one, as on continuous paper cut into sheets.
struct Sheet {
  const PrintedPage* page = nullptr;
  size_t firstLine = 0;
  size_t lineCount = 0;
};

// The factor that fits the form's 85 columns between the sheet's margins.
double gridScale();

// How many printed lines one sheet holds.
size_t linesPerSheet();

// The sheets of one page: one for an empty page, more for a page longer than a sheet.
std::vector<Sheet> sheetsOfPage(const PrintedPage& page);

#endif  // TIMETABLE_PREVIEW_SHEET_LAYOUT_H_
