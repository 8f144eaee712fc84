#ifndef TIMETABLE_PREVIEW_RENDERING_H_
#define TIMETABLE_PREVIEW_RENDERING_H_

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "preview/printed_page.h"
#include "preview/rendered_format.h"
#include "preview/sheet_layout.h"

// Throws std::runtime_error naming what is missing when the renderer cannot draw in this run, so
// that a run which will draw learns it before its first prompt.
void requireRenderer();

// The resolution of PNG previews.
const double kPngDotsPerInch = 150;

// The number of A4 sheets the printer bytes take, with a warning for each skipped printer
// command added to warnings. More than kMaxSheets is thrown as std::runtime_error as soon as it
// is seen, so that the count takes as little time and memory as the limit allows.
size_t countSheets(const PrinterBytes& bytes, std::vector<std::string>& warnings);

// Writes the files that show printer bytes as the printer prints them, in the format given: a
// PDF with one page per A4 sheet; a PNG at kPngDotsPerInch or an SVG of the first sheet, or of
// every sheet when the path holds %d; renderedFilePath names each file. The sheets are counted
// first (countSheets), so that a form of too many sheets writes nothing; then each is drawn and
// written as it comes, so that memory holds one sheet at a time. Each file is written through a
// pending file and put in place when complete. Added to warnings: each skipped printer command,
// and files of an earlier, longer form that the numbered files of this one leave beside them;
// to notices: the pages a single PNG or SVG leaves out. Throws std::runtime_error for a form of
// too many sheets, a file that cannot be written, or when cairo fails.
void writeRenderedForm(const PrinterBytes& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices);
void writeRenderedForm(const std::string& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices);

// Takes one sheet as it is interpreted; false stops the interpretation.
using SheetTaker = std::function<bool(const Sheet& sheet)>;

// Interprets the bytes once more after countSheets, without its warnings, and hands take each
// sheet as it comes, so that memory holds one page at a time.
void forEachSheet(const PrinterBytes& bytes, const SheetTaker& take);

// Takes one piece of a file as it is written; a failure is thrown as std::runtime_error.
using PieceWriter = std::function<void(const std::string& piece)>;

// Writes the PDF that writeRenderedForm writes, in pieces to write, counting the sheets first in
// the same way.
void writeFormPdf(const std::string& bytes, const PieceWriter& write,
                  std::vector<std::string>& warnings);

#endif  // TIMETABLE_PREVIEW_RENDERING_H_
