// Windows prints drawn pages through GDI: cairo's printing surface draws each sheet on the
// printer's device context, in vector form, and the printer's own driver turns that into what
// the printer reads. The sheet is placed as the PDF places it on A4, whatever margin the printer
// cannot print.
#include <windows.h>
// cairo-win32.h needs windows.h first.
#include <cairo-win32.h>

#include <stdexcept>

#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "preview/printed_page.h"
#include "preview/sheet_drawing.h"
#include "printer/page_printer.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"

namespace {

const double kPointsPerInch = 72;

struct PrinterPage {
  double dotsPerPoint = 1;
  double offsetX = 0;  // The printable area's corner from the paper's, in dots.
  double offsetY = 0;
};

// A device context of the printer set to A4 portrait; a missing printer is told as such.
HDC createPrinterContext(const std::string& printer) {
  const std::wstring name = utf8ToWide(printer);
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
  mode.dmPaperSize = DMPAPER_A4;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  HDC context = CreateDCW(L"WINSPOOL", name.c_str(), nullptr, &mode);
  if (context == nullptr) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) failNoPrinter(printer);
    throw std::runtime_error("the print spooler cannot prepare the printer \"" + printer +
                             "\": " + systemMessage(error));
  }
  return context;
}

PrinterPage pageOf(HDC context) {
  PrinterPage page;
  page.dotsPerPoint = GetDeviceCaps(context, LOGPIXELSX) / kPointsPerInch;
  page.offsetX = GetDeviceCaps(context, PHYSICALOFFSETX);
  page.offsetY = GetDeviceCaps(context, PHYSICALOFFSETY);
  return page;
}

// Draws one sheet on the printing surface, in points from the paper's corner.
void drawOnPage(cairo_surface_t* surface, const PrinterPage& page, const Sheet& sheet) {
  cairo_t* cr = cairo_create(surface);
  cairo_translate(cr, -page.offsetX, -page.offsetY);
  cairo_scale(cr, page.dotsPerPoint, page.dotsPerPoint);
  drawSheet(cr, sheet);
  const cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("cairo failed: ") + cairo_status_to_string(status));
  }
  cairo_surface_show_page(surface);
}

// The document under way: ended, or aborted when anything fails before its end.
struct PrintedDocument {
  HDC context = nullptr;
  cairo_surface_t* surface = nullptr;
  bool started = false;
  ~PrintedDocument() {
    if (surface != nullptr) cairo_surface_destroy(surface);
    if (started) AbortDoc(context);
    if (context != nullptr) DeleteDC(context);
  }
};

[[noreturn]] void failDocument(const std::string& what, const std::string& printer) {
  throw std::runtime_error("the print spooler " + what + " the drawn form for the printer \"" +
                           printer + "\": " + systemMessage(GetLastError()));
}

}  // namespace

std::vector<std::string> printDrawnPages(const std::string& printer,
                                         const std::string& documentName,
                                         const std::string& printerBytes) {
  std::vector<std::string> warnings;
  const std::vector<PrintedPage> pages = interpretPrinterBytes(printerBytes, warnings);
  const std::vector<Sheet> sheets = sheetsOf(pages);
  const std::string name = printer.empty() ? defaultSpoolPrinter() : printer;
  if (name.empty()) requireDefaultSpoolPrinter();

  PrintedDocument document;
  document.context = createPrinterContext(name);
  const PrinterPage page = pageOf(document.context);
  const std::wstring title = utf8ToWide(documentName);
  DOCINFOW info = {};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  if (StartDocW(document.context, &info) <= 0) failDocument("did not take", name);
  document.started = true;
  for (size_t at = 0; at < sheets.size(); ++at) {
    if (StartPage(document.context) <= 0) failDocument("did not start a page of", name);
    // The surface takes the context as it is at the first page, so it is made there.
    if (document.surface == nullptr) {
      document.surface = cairo_win32_printing_surface_create(document.context);
    }
    drawOnPage(document.surface, page, sheets[at]);
    if (EndPage(document.context) <= 0) failDocument("did not take a page of", name);
  }
  if (document.surface != nullptr) cairo_surface_finish(document.surface);
  if (EndDoc(document.context) <= 0) failDocument("could not finish", name);
  document.started = false;
  return warnings;
}
