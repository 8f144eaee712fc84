#ifndef TIMETABLE_PREVIEW_RENDERING_H_
#define TIMETABLE_PREVIEW_RENDERING_H_

#include <string>
#include <vector>

#include "preview/sheet_drawing.h"

// The resolution of PNG previews.
const double kPngDotsPerInch = 150;

// A PDF with one page per sheet.
std::string renderPdf(const std::vector<Sheet>& sheets);
// A PNG of one sheet at kPngDotsPerInch.
std::string renderPng(const Sheet& sheet);
// An SVG of one sheet.
std::string renderSvg(const Sheet& sheet);

#endif  // TIMETABLE_PREVIEW_RENDERING_H_
