#include "preview/sheet_drawing.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "form/box_strokes.h"
#include "preview/printer_font.h"
#include "preview/terminal_text.h"

namespace {

// How far DejaVu Sans Mono advances for each glyph, in ems.
const double kGlyphAdvance = 0.602;
// The size that puts one glyph on each of the printer's columns.
const double kFontSize = kColumnWidth / kGlyphAdvance;
const double kBaseline = 9.4;  // From the top of a line.
const double kSubscriptSize = 7.5;
const double kSubscriptDrop = 2.0;
const double kRuleWidth = 0.9;

// The strokes of the rule in one cell of the sheet: none where the cell holds no rule or lies
// past the end of its line.
BoxStrokes strokesAt(const Sheet& sheet, size_t row, size_t column) {
  BoxStrokes strokes;
  const PrintedLine& line = sheet.page->lines[sheet.firstLine + row];
  if (column < line.size()) boxStrokesOfUnicode(line[column].character, strokes);
  return strokes;
}

// Whether a cell's rule reaches towards the cell before it and the cell after it, along one row
// or one column.
struct Reach {
  bool back = false;
  bool ahead = false;
};

struct Run {
  double from = 0;
  double to = 0;
};

// Joins the rule pieces of a row or a column of cells, each cellSize long, into unbroken runs
// along it: a rule shows no seam where two cells meet, and the drawing holds one line per run
// instead of one per cell. A piece that does not reach a neighbour stops half a rule's width past
// the cell's centre, so that corners close.
std::vector<Run> joinedRuns(const std::vector<Reach>& cells, double cellSize) {
  std::vector<Run> runs;
  bool open = false;
  for (size_t i = 0; i <= cells.size(); ++i) {
    const Reach reach = i < cells.size() ? cells[i] : Reach{};
    const double start = static_cast<double>(i) * cellSize;
    const double centre = start + cellSize / 2;
    if (open && !reach.back) {
      runs.back().to = start;
      open = false;
    }
    if (!reach.back && !reach.ahead) continue;
    if (!open) runs.push_back({reach.back ? start : centre - kRuleWidth / 2, 0});
    open = reach.ahead;
    if (!open) runs.back().to = centre + kRuleWidth / 2;
  }
  return runs;
}

// The columns that lie on the sheet, if only in part: the rest of a longer line is off the paper,
// and leaving it out keeps the drawing's cost in proportion to the sheet, whatever the input.
size_t columnsOnSheet() {
  return static_cast<size_t>(
      std::ceil((kSheetWidth - kSheetMargin) / (kColumnWidth * gridScale())));
}

// Draws the sheet's box-drawing rules as strokes that join from cell to cell.
void drawRules(cairo_t* cr, const Sheet& sheet) {
  size_t columns = 0;
  for (size_t row = 0; row < sheet.lineCount; ++row) {
    columns = std::max(columns, sheet.page->lines[sheet.firstLine + row].size());
  }
  columns = std::min(columns, columnsOnSheet());
  for (size_t row = 0; row < sheet.lineCount; ++row) {
    std::vector<Reach> cells(columns);
    for (size_t column = 0; column < columns; ++column) {
      const BoxStrokes strokes = strokesAt(sheet, row, column);
      cells[column] = {strokes.left, strokes.right};
    }
    const double y = (static_cast<double>(row) + 0.5) * kLineHeight;
    for (const Run& run : joinedRuns(cells, kColumnWidth)) {
      cairo_move_to(cr, run.from, y);
      cairo_line_to(cr, run.to, y);
    }
  }
  for (size_t column = 0; column < columns; ++column) {
    std::vector<Reach> cells(sheet.lineCount);
    for (size_t row = 0; row < sheet.lineCount; ++row) {
      const BoxStrokes strokes = strokesAt(sheet, row, column);
      cells[row] = {strokes.up, strokes.down};
    }
    const double x = (static_cast<double>(column) + 0.5) * kColumnWidth;
    for (const Run& run : joinedRuns(cells, kLineHeight)) {
      cairo_move_to(cr, x, run.from);
      cairo_line_to(cr, x, run.to);
    }
  }
  cairo_set_line_width(cr, kRuleWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_stroke(cr);
}

void drawGlyph(cairo_t* cr, double x, double y, const PrintedCharacter& printed) {
  const std::string text = utf8Of(printed.character);
  cairo_save(cr);
  cairo_set_font_face(cr, printerFontFace(printed.bold));
  if (printed.subscript) {
    cairo_set_font_size(cr, kSubscriptSize);
    cairo_move_to(cr, x + (kColumnWidth - kSubscriptSize * kGlyphAdvance) / 2,
                  y + kBaseline + kSubscriptDrop);
  } else {
    cairo_set_font_size(cr, kFontSize);
    cairo_translate(cr, x, y + kBaseline);
    // Double height stretches the glyph upwards from its own baseline over the line above.
    if (printed.doubleHeight) cairo_scale(cr, 1, 2);
    cairo_move_to(cr, 0, 0);
  }
  cairo_show_text(cr, text.c_str());
  cairo_restore(cr);
}

}  // namespace

void drawSheet(cairo_t* cr, const Sheet& sheet) {
  cairo_save(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  setPrinterFontOptions(cr);
  cairo_translate(cr, kSheetMargin, kSheetMargin);
  cairo_scale(cr, gridScale(), gridScale());
  for (size_t row = 0; row < sheet.lineCount; ++row) {
    const PrintedLine& line = sheet.page->lines[sheet.firstLine + row];
    const double y = static_cast<double>(row) * kLineHeight;
    for (size_t column = 0; column < std::min(line.size(), columnsOnSheet()); ++column) {
      const PrintedCharacter& printed = line[column];
      BoxStrokes strokes;
      if (printed.character != U' ' && !boxStrokesOfUnicode(printed.character, strokes)) {
        drawGlyph(cr, static_cast<double>(column) * kColumnWidth, y, printed);
      }
    }
  }
  drawRules(cr, sheet);
  cairo_restore(cr);
}
