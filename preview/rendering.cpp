#include "preview/rendering.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cctype>
#include <cmath>
#include <stdexcept>

#include "preview/printed_page.h"

namespace {

// Collects what cairo writes in memory, so that the caller writes the file and reports its own
// errors.
cairo_status_t appendOutput(void* output, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(output)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void check(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("cairo failed: ") + cairo_status_to_string(status));
  }
}

// Draws the sheets on a vector surface, one page each, and finishes it.
void drawPages(cairo_surface_t* surface, const std::vector<Sheet>& sheets) {
  cairo_t* cr = cairo_create(surface);
  for (const Sheet& sheet : sheets) {
    drawSheet(cr, sheet);
    cairo_show_page(cr);
  }
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  check(status);
}

bool endsWithIgnoringCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  const size_t from = text.size() - end.size();
  for (size_t i = 0; i < end.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[from + i])) != end[i]) return false;
  }
  return true;
}

// "form-%d.png" with the sheet's number from 1.
std::string numbered(const std::string& pattern, size_t number) {
  const size_t at = pattern.find("%d");
  return pattern.substr(0, at) + std::to_string(number) + pattern.substr(at + 2);
}

}  // namespace

bool renderedFormatOf(const std::string& path, RenderedFormat& format) {
  if (endsWithIgnoringCase(path, ".pdf")) {
    format = RenderedFormat::kPdf;
  } else if (endsWithIgnoringCase(path, ".png")) {
    format = RenderedFormat::kPng;
  } else if (endsWithIgnoringCase(path, ".svg")) {
    format = RenderedFormat::kSvg;
  } else {
    return false;
  }
  return true;
}

std::vector<RenderedFile> renderPrinterBytes(const std::string& bytes,
                                             const std::string& outputPath,
                                             std::vector<std::string>& warnings) {
  RenderedFormat format = RenderedFormat::kPdf;
  if (!renderedFormatOf(outputPath, format)) {
    throw std::runtime_error("cannot tell the format of " + outputPath +
                             ": use .pdf, .png or .svg");
  }
  const std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
  const std::vector<Sheet> sheets = sheetsOf(pages);
  if (format == RenderedFormat::kPdf) return {{outputPath, renderPdf(sheets)}};
  const bool every = outputPath.find("%d") != std::string::npos;
  std::vector<RenderedFile> files;
  for (size_t i = 0; i < (every ? sheets.size() : 1); ++i) {
    files.push_back({every ? numbered(outputPath, i + 1) : outputPath,
                     format == RenderedFormat::kPng ? renderPng(sheets[i]) : renderSvg(sheets[i])});
  }
  return files;
}

std::string renderPdf(const std::vector<Sheet>& sheets) {
  std::string output;
  drawPages(cairo_pdf_surface_create_for_stream(appendOutput, &output, kSheetWidth, kSheetHeight),
            sheets);
  return output;
}

std::string renderSvg(const Sheet& sheet) {
  std::string output;
  drawPages(cairo_svg_surface_create_for_stream(appendOutput, &output, kSheetWidth, kSheetHeight),
            {sheet});
  return output;
}

std::string renderPng(const Sheet& sheet) {
  const double dots = kPngDotsPerInch / 72;
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_RGB24, static_cast<int>(std::lround(kSheetWidth * dots)),
      static_cast<int>(std::lround(kSheetHeight * dots)));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, dots, dots);
  drawSheet(cr, sheet);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  std::string output;
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_write_to_png_stream(surface, appendOutput, &output);
  }
  cairo_surface_destroy(surface);
  check(status);
  return output;
}
