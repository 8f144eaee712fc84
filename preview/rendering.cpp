#include "preview/rendering.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/text_case.h"
#include "platform/translation.h"
#include "preview/printer_font.h"
#include "preview/sheet_drawing.h"

namespace {

// How much of cairo's output is gathered before it goes to the file: cairo writes in many small
// pieces.
const size_t kWriteBlock = 65536;

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// Where cairo's output goes: a pending file or another taker of pieces, through a buffer. An
// error is kept to be thrown once cairo has returned, since an exception must not pass through
// cairo's C code.
struct FileWriter {
  PieceWriter write;
  std::string buffer;
  std::string error;
};

FileWriter writerOf(PendingFile& file) {
  return FileWriter{[&file](const std::string& piece) { writePendingFile(file, piece); },
                    std::string(), std::string()};
}

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
  FileWriter& writer = *static_cast<FileWriter*>(closure);
  if (!writer.error.empty()) return CAIRO_STATUS_WRITE_ERROR;
  try {
    writer.buffer.append(reinterpret_cast<const char*>(data), length);
    if (writer.buffer.size() >= kWriteBlock) {
      writer.write(writer.buffer);
      writer.buffer.clear();
    }
  } catch (const std::exception& failure) {
    writer.error = failure.what();
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

// Throws what went wrong while cairo wrote, else writes the rest.
void finishWriting(FileWriter& writer, cairo_status_t status) {
  if (!writer.error.empty()) throw std::runtime_error(writer.error);
  checkCairo(status);
  writer.write(writer.buffer);
  writer.buffer.clear();
}

// As finishWriting, then closes the file, complete but not yet in place.
void completeFile(PendingFile& pending, FileWriter& writer, cairo_status_t status) {
  finishWriting(writer, status);
  completePendingFile(pending);
}

// Ends drawing on a surface: the context's status, else the surface's once it is finished.
cairo_status_t finishSurface(Context cr, const Surface& surface) {
  cairo_status_t status = cairo_status(cr.get());
  cr.reset();
  cairo_surface_finish(surface.get());
  return status != CAIRO_STATUS_SUCCESS ? status : cairo_surface_status(surface.get());
}

// Draws the PDF, a page for each sheet, into the writer.
void drawPdf(const PrinterBytes& bytes, FileWriter& writer) {
  cairo_status_t status;
  {
    Surface surface(
        cairo_pdf_surface_create_for_stream(writeToFile, &writer, kSheetWidth, kSheetHeight),
        cairo_surface_destroy);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    forEachSheet(bytes, [&cr](const Sheet& sheet) {
      drawSheet(cr.get(), sheet);
      cairo_show_page(cr.get());
      return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS;
    });
    status = finishSurface(std::move(cr), surface);
  }
  finishWriting(writer, status);
}

void writePdf(const PrinterBytes& bytes, const std::string& path) {
  PendingFileHandle pending = startPendingFile(path);
  FileWriter writer = writerOf(*pending);
  drawPdf(bytes, writer);
  finishPendingFile(std::move(pending));
}

// The sheet's file, complete beside path, for the caller to put in place.
PendingFileHandle writeSvg(const Sheet& sheet, const std::string& path) {
  PendingFileHandle pending = startPendingFile(path);
  FileWriter writer = writerOf(*pending);
  cairo_status_t status;
  {
    Surface surface(
        cairo_svg_surface_create_for_stream(writeToFile, &writer, kSheetWidth, kSheetHeight),
        cairo_surface_destroy);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    drawSheet(cr.get(), sheet);
    cairo_show_page(cr.get());
    status = finishSurface(std::move(cr), surface);
  }
  completeFile(*pending, writer, status);
  return pending;
}

// The sheet's file, complete beside path, for the caller to put in place.
PendingFileHandle writePng(const Sheet& sheet, const std::string& path) {
  PendingFileHandle pending = startPendingFile(path);
  FileWriter writer = writerOf(*pending);
  const double dots = kPngDotsPerInch / 72;
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                             static_cast<int>(std::lround(kSheetWidth * dots)),
                                             static_cast<int>(std::lround(kSheetHeight * dots))),
                  cairo_surface_destroy);
  Context cr(cairo_create(surface.get()), cairo_destroy);
  cairo_scale(cr.get(), dots, dots);
  drawSheet(cr.get(), sheet);
  cairo_status_t status = cairo_status(cr.get());
  cr.reset();
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_write_to_png_stream(surface.get(), writeToFile, &writer);
  }
  completeFile(*pending, writer, status);
  return pending;
}

// The name that gets every page: form-%d.png for form.png.
std::string numberedName(const std::string& path) {
  const size_t dot = path.rfind('.');
  return path.substr(0, dot) + "-%d" + path.substr(dot);
}

std::string firstSheetOnlyNotice(const std::string& path, size_t sheets) {
  return formatMessage(translatePlural("{0} shows only the first of the form's {1} page; to get "
                                       "every page, name the file with %d: {2}",
                                       "{0} shows only the first of the form's {1} pages; to get "
                                       "every page, name the file with %d: {2}",
                                       static_cast<unsigned long>(sheets)),
                       {path, std::to_string(sheets), numberedName(path)});
}

// Files numbered past this form's sheets are an earlier, longer form's: they are named, never
// removed, as they may be someone's.
std::string filesLeftBeyond(const std::string& path, RenderedFormat format, size_t sheets) {
  std::string names;
  size_t count = 0;
  for (size_t sheet = sheets + 1; sheet <= kMaxSheets; ++sheet, ++count) {
    const std::string name = renderedFilePath(path, format, sheet);
    if (!fileExists(name)) break;
    names += (names.empty() ? "" : ", ") + name;
  }
  if (count == 0) return names;
  // The number of pages of this form is a phrase of its own, as a language may decline it.
  const std::string pages =
      formatMessage(translatePlural("{0} page", "{0} pages", static_cast<unsigned long>(sheets)),
                    {std::to_string(sheets)});
  return formatMessage(translatePlural("the file {0} is from an earlier, longer form, not from "
                                       "this one of {1}; remove it before printing this form",
                                       "the files {0} are from an earlier, longer form, not from "
                                       "this one of {1}; remove them before printing this form",
                                       static_cast<unsigned long>(count)),
                       {names, pages});
}

}  // namespace

// Linked into the program, the renderer is always there.
void requireRenderer() {}

size_t countSheets(const PrinterBytes& bytes, std::vector<std::string>& warnings) {
  size_t sheets = 0;
  // A page longer than the limit's lines would take more sheets than the limit on its own.
  const bool whole = interpretPrinterPages(bytes(), kMaxSheets * linesPerSheet(), warnings,
                                           [&sheets](const PrintedPage& page) {
                                             sheets += sheetsOfPage(page).size();
                                             return sheets <= kMaxSheets;
                                           });
  if (!whole) {
    throw std::runtime_error(
        formatMessage(translate("the form takes more than {0} A4 sheets, the most that is drawn"),
                      {std::to_string(kMaxSheets)}));
  }
  return sheets;
}

void writeRenderedForm(const PrinterBytes& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices) {
  const size_t sheets = countSheets(bytes, warnings);
  if (format == RenderedFormat::kPdf) {
    writePdf(bytes, path);
    return;
  }
  const bool every = namesEverySheet(path);
  // Every sheet's file is complete before any is put in place, so that a run that fails at a
  // later sheet leaves each file of an earlier run as it was, rather than a mix of both forms.
  std::vector<PendingFileHandle> files;
  forEachSheet(bytes, [&](const Sheet& sheet) {
    files.push_back((format == RenderedFormat::kPng ? writePng : writeSvg)(
        sheet, renderedFilePath(path, format, files.size() + 1)));
    return every;
  });
  for (PendingFileHandle& file : files) finishPendingFile(std::move(file));
  if (!every && sheets > 1) notices.push_back(firstSheetOnlyNotice(path, sheets));
  if (every) {
    const std::string left = filesLeftBeyond(path, format, sheets);
    if (!left.empty()) warnings.push_back(left);
  }
}

void writeRenderedForm(const std::string& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices) {
  writeRenderedForm(printerBytesOf(bytes), path, format, warnings, notices);
}

void writeFormPdf(const std::string& bytes, const PieceWriter& write,
                  std::vector<std::string>& warnings) {
  const PrinterBytes printed = printerBytesOf(bytes);
  countSheets(printed, warnings);
  FileWriter writer{write, std::string(), std::string()};
  drawPdf(printed, writer);
}

void forEachSheet(const PrinterBytes& bytes, const SheetTaker& take) {
  std::vector<std::string> warningsGivenBefore;
  interpretPrinterPages(bytes(), kMaxSheets * linesPerSheet(), warningsGivenBefore,
                        [&take](const PrintedPage& page) {
                          for (const Sheet& sheet : sheetsOfPage(page)) {
                            if (!take(sheet)) return false;
                          }
                          return true;
                        });
}
