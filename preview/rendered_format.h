#ifndef TIMETABLE_PREVIEW_RENDERED_FORMAT_H_
#define TIMETABLE_PREVIEW_RENDERED_FORMAT_H_

// The files the renderer writes, as those who choose them name them: without cairo, which only
// the renderer's own files need.
#include <cstddef>
#include <string>

// The most A4 sheets a form may take: more is not a form but a file that would fill the disk
// with pages (every form feed starts a sheet).
const size_t kMaxSheets = 1000;

// The file formats that show printer bytes as printed.
enum class RenderedFormat { kPdf, kPng, kSvg };

// The rendered format that a file name asks for by its ending, .pdf, .png or .svg in any case;
// false for any other name.
bool renderedFormatOf(const std::string& path, RenderedFormat& format);

// The file that writeRenderedForm writes a sheet into, numbered from 1: a PDF holds every sheet
// under its own name, %d and all; a PNG or SVG path holding %d names one file per sheet, the
// first %d becoming the sheet's number; one without holds the first sheet alone.
std::string renderedFilePath(const std::string& path, RenderedFormat format, size_t sheet);

// Whether a PNG or SVG path names one file per sheet: it holds %d.
bool namesEverySheet(const std::string& path);

#endif  // TIMETABLE_PREVIEW_RENDERED_FORMAT_H_
