#include "preview/sheet_drawing.h"

#include <algorithm>
#include <string>

#include "preview/printer_font.h"
#include "preview/terminal_text.h"

namespace {

// DejaVu Sans Mono advances 0.602 em, so this size puts one glyph on each 7.2-point column.
const double kFontSize = 11.96;
const double kBaseline = 9.4;  // From the top of a line.
const double kSubscriptSize = 7.5;
const double kSubscriptDrop = 2.0;
const double kRuleWidth = 0.9;

// The strokes of a single-line box-drawing character, from the cell's centre to its edges.
struct Strokes {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
};

bool singleLineBox(char32_t c, Strokes& strokes) {
  switch (c) {
    case U'─':
      strokes = {false, false, true, true};
      return true;
    case U'│':
      strokes = {true, true, false, false};
      return true;
    case U'┌':
      strokes = {false, true, false, true};
      return true;
    case U'┐':
      strokes = {false, true, true, false};
      return true;
    case U'└':
      strokes = {true, false, false, true};
      return true;
    case U'┘':
      strokes = {true, false, true, false};
      return true;
    case U'├':
      strokes = {true, true, false, true};
      return true;
    case U'┤':
      strokes = {true, true, true, false};
      return true;
    case U'┬':
      strokes = {false, true, true, true};
      return true;
    case U'┴':
      strokes = {true, false, true, true};
      return true;
    case U'┼':
      strokes = {true, true, true, true};
      return true;
    default:
      return false;
  }
}

void drawRule(cairo_t* cr, double x, double y, const Strokes& strokes) {
  const double cx = x + kColumnWidth / 2;
  const double cy = y + kLineHeight / 2;
  // Each stroke runs past the centre by half the rule's width, so that corners close.
  const double half = kRuleWidth / 2;
  cairo_set_line_width(cr, kRuleWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  if (strokes.left || strokes.right) {
    cairo_move_to(cr, strokes.left ? x : cx - half, cy);
    cairo_line_to(cr, strokes.right ? x + kColumnWidth : cx + half, cy);
  }
  if (strokes.up || strokes.down) {
    cairo_move_to(cr, cx, strokes.up ? y : cy - half);
    cairo_line_to(cr, cx, strokes.down ? y + kLineHeight : cy + half);
  }
  cairo_stroke(cr);
}

void drawGlyph(cairo_t* cr, double x, double y, const PrintedCharacter& printed) {
  const std::string text = utf8Of(printed.character);
  cairo_save(cr);
  cairo_set_font_face(cr, printerFontFace(printed.bold));
  if (printed.subscript) {
    cairo_set_font_size(cr, kSubscriptSize);
    cairo_move_to(cr, x + (kColumnWidth - kSubscriptSize * 0.602) / 2,
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

size_t linesPerSheet() {
  const double usable = (kSheetHeight - 2 * kSheetMargin) / gridScale();
  return static_cast<size_t>(usable / kLineHeight);
}

}  // namespace

double gridScale() {
  return std::min(1.0, (kSheetWidth - 2 * kSheetMargin) / (kFormColumns * kColumnWidth));
}

std::vector<Sheet> sheetsOf(const std::vector<PrintedPage>& pages) {
  std::vector<Sheet> sheets;
  const size_t perSheet = linesPerSheet();
  for (const PrintedPage& page : pages) {
    size_t first = 0;
    do {
      const size_t count = std::min(perSheet, page.lines.size() - first);
      sheets.push_back(Sheet{&page, first, count});
      first += count;
    } while (first < page.lines.size());
  }
  return sheets;
}

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
    for (size_t column = 0; column < line.size(); ++column) {
      const PrintedCharacter& printed = line[column];
      const double x = static_cast<double>(column) * kColumnWidth;
      Strokes strokes;
      if (singleLineBox(printed.character, strokes)) {
        drawRule(cr, x, y, strokes);
      } else if (printed.character != U' ') {
        drawGlyph(cr, x, y, printed);
      }
    }
  }
  cairo_restore(cr);
}
