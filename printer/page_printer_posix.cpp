// CUPS prints drawn pages from a PDF: every queue with a driver turns it into the printer's own
// language, and a raw queue passes it through to a printer that reads PDF.
#include <cups/cups.h>

#include "preview/rendering.h"
#include "printer/page_printer.h"
#include "printer/spooler.h"
#include "printer/spooler_cups.h"

std::vector<std::string> printDrawnPages(const std::string& printer,
                                         const std::string& documentName,
                                         const std::string& printerBytes) {
  std::vector<std::string> warnings;
  const std::string pdf = renderPrinterBytes(printerBytes, "form.pdf", warnings).front().contents;
  const std::string name = printer.empty() ? defaultSpoolPrinter() : printer;
  if (name.empty()) requireDefaultSpoolPrinter();
  SpoolJobHandle job = startSpoolJobOfFormat(name, documentName, CUPS_FORMAT_PDF);
  writeSpoolJob(*job, pdf);
  const std::string warning = finishSpoolJob(*job);
  if (!warning.empty()) warnings.push_back(warning);
  return warnings;
}
