// Windows prints drawn pages through GDI: cairo's printing surface draws each sheet on the
// printer's device context, in vector form, and the printer's own driver turns that into what
// the printer reads. The sheet is placed as the PDF places it on A4, whatever margin the printer
// cannot print.
#include <windows.h>
// cairo-win32.h needs windows.h first.
#include <cairo-win32.h>

#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "platform/interrupt.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "preview/printed_page.h"
#include "preview/printer_font.h"
#include "preview/rendering.h"
#include "preview/sheet_drawing.h"
#include "printer/page_printer.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_win32.h"

namespace {

const double kPointsPerInch = 72;

// Where a sheet's points land on the printer's page: its dots per point across and down (a
// printer may have more of one than of the other), and the corner of the printable area from the
// paper's corner, in dots.
struct PrinterPage {
  double dotsPerPointX = 1;
  double dotsPerPointY = 1;
  double offsetX = 0;
  double offsetY = 0;
};

// A print job under way on a device context: its job, which an interrupt of the run deletes.
struct DrawnDocument {
  HDC context = nullptr;
  int interruptCleanup = 0;
  DWORD job = 0;
};

void deletePrinterContext(HDC context) { DeleteDC(context); }

// An open document that did not reach its end leaves nothing in the queue.
void abortDocument(DrawnDocument* document) {
  holdInterrupts([document] {
    if (document->interruptCleanup != 0) removeInterruptCleanup(document->interruptCleanup);
    AbortDoc(document->context);
  });
  delete document;
}

using PrinterContext = std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&deletePrinterContext)>;
using OpenDocument = std::unique_ptr<DrawnDocument, decltype(&abortDocument)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// The error a GDI call left, with what failed.
// what holds {0} for the printer's name and {1} for the system's message.
[[noreturn]] void failDocument(const char* what, const std::string& printer) {
  const DWORD error = GetLastError();
  throw std::runtime_error(formatMessage(what, {printer, systemMessage(error)}));
}

// A device context of the printer set to A4 portrait; a missing printer is told as such.
PrinterContext createPrinterContext(const std::string& printer) {
  const std::wstring name = utf8ToWide(printer);
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
  mode.dmPaperSize = DMPAPER_A4;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  PrinterContext context(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, &mode),
                         deletePrinterContext);
  if (!context) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) failNoPrinter(printer);
    throw std::runtime_error(formatMessage(
        translate("the print spooler cannot prepare the printer \"{0}\"; print again, or check the "
                  "printer in the system\'s printer settings: {1}"),
        {printer, systemMessage(error)}));
  }
  return context;
}

PrinterPage pageOf(HDC context) {
  PrinterPage page;
  page.dotsPerPointX = GetDeviceCaps(context, LOGPIXELSX) / kPointsPerInch;
  page.dotsPerPointY = GetDeviceCaps(context, LOGPIXELSY) / kPointsPerInch;
  page.offsetX = GetDeviceCaps(context, PHYSICALOFFSETX);
  page.offsetY = GetDeviceCaps(context, PHYSICALOFFSETY);
  return page;
}

// Starts the print job; from here on a failure aborts it, and an interrupt deletes it.
OpenDocument startDocument(HDC context, const std::string& documentName,
                           const std::string& printer) {
  const std::wstring title = utf8ToWide(documentName);
  DOCINFOW info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  OpenDocument document(nullptr, abortDocument);
  int job = 0;
  holdInterrupts([&] {
    job = StartDocW(context, &info);
    if (job <= 0) return;
    logLine("spooler job " + std::to_string(job) + " on the printer " + printer);
    document.reset(new DrawnDocument{context, 0, DWORD(job)});
    document->interruptCleanup =
        addInterruptCleanup([printer, job] { deleteJobOnOwnHandle(printer, DWORD(job)); });
  });
  if (job <= 0)
    failDocument(
        translate("the print spooler did not take the drawn form for the printer \"{0}\"; print "
                  "again, or check the printer in the system\'s printer settings: {1}"),
        printer);
  return document;
}

// Ends the print job: once this returns it is the spooler's, and no interrupt deletes it.
// Returns the job's number in the printer's queue.
DWORD endDocument(OpenDocument document, const std::string& printer) {
  const DWORD job = document->job;
  bool ended = false;
  holdInterrupts([&] {
    ended = EndDoc(document->context) > 0;
    if (!ended) return;
    removeInterruptCleanup(document->interruptCleanup);
    delete document.release();
  });
  if (!ended)
    failDocument(
        translate("the print spooler could not finish the drawn form for the printer \"{0}\"; "
                  "print again, or check the printer in the system\'s printer settings: {1}"),
        printer);
  return job;
}

// Draws one sheet on the printing surface, in points from the paper's corner. The surface's own
// units are the printer's dots from the corner of the printable area.
void drawOnPage(cairo_surface_t* surface, const PrinterPage& page, const Sheet& sheet) {
  Context cr(cairo_create(surface), cairo_destroy);
  cairo_translate(cr.get(), -page.offsetX, -page.offsetY);
  cairo_scale(cr.get(), page.dotsPerPointX, page.dotsPerPointY);
  drawSheet(cr.get(), sheet);
  const cairo_status_t status = cairo_status(cr.get());
  cr.reset();
  checkCairo(status);
  cairo_surface_show_page(surface);
  checkCairo(cairo_surface_status(surface));
}

// Prints each sheet of the printer bytes as a page of the open document.
void printSheets(HDC context, const PrinterBytes& bytes, const std::string& printer) {
  const PrinterPage page = pageOf(context);
  // The surface takes the context as it is at the first page, so it is made there; it is
  // finished before the document ends, so that it has handed everything to GDI.
  Surface surface(nullptr, cairo_surface_destroy);
  const auto print = [&](const Sheet& sheet) {
    if (StartPage(context) <= 0)
      failDocument(
          translate(
              "the print spooler did not start a page of the drawn form for the printer \"{0}\"; "
              "print again, or check the printer in the system\'s printer settings: {1}"),
          printer);
    if (!surface) {
      surface.reset(cairo_win32_printing_surface_create(context));
      checkCairo(cairo_surface_status(surface.get()));
    }
    drawOnPage(surface.get(), page, sheet);
    if (EndPage(context) <= 0)
      failDocument(
          translate(
              "the print spooler did not take a page of the drawn form for the printer \"{0}\"; "
              "print again, or check the printer in the system\'s printer settings: {1}"),
          printer);
  };
  forEachSheet(bytes, [&print](const Sheet& sheet) {
    print(sheet);
    return true;
  });
  if (surface) {
    cairo_surface_finish(surface.get());
    checkCairo(cairo_surface_status(surface.get()));
  }
}

}  // namespace

std::vector<std::string> printDrawnPages(const std::string& printer,
                                         const std::string& documentName,
                                         const std::string& printerBytes) {
  std::vector<std::string> warnings;
  const PrinterBytes bytes = printerBytesOf(printerBytes);
  // A form of too many sheets fails before the spooler gets anything.
  countSheets(bytes, warnings);
  const PrinterContext context = createPrinterContext(printer);
  OpenDocument document = startDocument(context.get(), documentName, printer);
  printSheets(context.get(), bytes, printer);
  const DWORD job = endDocument(std::move(document), printer);
  const std::string waiting = watchHandedOverJob(printer, job);
  if (!waiting.empty()) warnings.push_back(waiting);
  return warnings;
}
