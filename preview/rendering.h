#ifndef TIMETABLE_PREVIEW_RENDERING_H_
#define TIMETABLE_PREVIEW_RENDERING_H_

#include <string>
#include <vector>

#include "preview/sheet_drawing.h"

// The resolution of PNG previews.
const double kPngDotsPerInch = 150;

// The file formats that show printer bytes as printed.
enum class RenderedFormat { kPdf, kPng, kSvg };

// The rendered format that a file name asks for by its ending, .pdf, .png or .svg in any case;
// false for any other name.
bool renderedFormatOf(const std::string& path, RenderedFormat& format);

struct RenderedFile {
  std::string path;
  std::string contents;
};

// The files that show printer bytes as the printer prints them, for an output path with a
// rendered format: a PDF with one page per A4 sheet; a PNG at kPngDotsPerInch or an SVG of the
// first sheet, or of every sheet when the path holds %d, which becomes the sheet's number from 1.
// A warning for each skipped printer command is added to warnings. Throws std::runtime_error for
// a path with no rendered format, or when cairo fails.
std::vector<RenderedFile> renderPrinterBytes(const std::string& bytes,
                                             const std::string& outputPath,
                                             std::vector<std::string>& warnings);

// A PDF with one page per sheet.
std::string renderPdf(const std::vector<Sheet>& sheets);
// A PNG of one sheet at kPngDotsPerInch.
std::string renderPng(const Sheet& sheet);
// An SVG of one sheet.
std::string renderSvg(const Sheet& sheet);

#endif  // TIMETABLE_PREVIEW_RENDERING_H_
