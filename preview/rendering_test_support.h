#ifndef TIMETABLE_PREVIEW_RENDERING_TEST_SUPPORT_H_
#define TIMETABLE_PREVIEW_RENDERING_TEST_SUPPORT_H_

#include <string>

// The tests' way to the rendered files. Each writes its file with writeRenderedForm, as the
// programs do, in a folder of its own in the system's temporary folder, and returns the file's
// contents; a failure is thrown as writeRenderedForm throws it.

// The PDF of the printer bytes, a page per sheet.
std::string renderPdf(const std::string& bytes);
// The PNG of the first sheet.
std::string renderPng(const std::string& bytes);
// The SVG of the first sheet.
std::string renderSvg(const std::string& bytes);

#endif  // TIMETABLE_PREVIEW_RENDERING_TEST_SUPPORT_H_
