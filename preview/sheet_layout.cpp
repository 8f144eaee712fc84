#include "preview/sheet_layout.h"

#include <algorithm>
#include <vector>

#include "form/form_grid.h"

double gridScale() {
  return std::min(1.0, (kSheetWidth - 2 * kSheetMargin) / (kFormColumns * kColumnWidth));
}

size_t linesPerSheet() {
  const double usable = (kSheetHeight - 2 * kSheetMargin) / gridScale();
  return static_cast<size_t>(usable / kLineHeight);
}

std::vector<Sheet> sheetsOfPage(const PrintedPage& page) {
  std::vector<Sheet> sheets;
  const size_t perSheet = linesPerSheet();
  size_t first = 0;
  do {
    const size_t count = std::min(perSheet, page.lines.size() - first);
    sheets.push_back(Sheet{&page, first, count});
    first += count;
  } while (first < page.lines.size());
  return sheets;
}
