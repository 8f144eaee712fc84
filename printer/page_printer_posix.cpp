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
  SpoolJobHandle job = startSpoolJobOfFormat(printer, documentName, CUPS_FORMAT_PDF);
  // The PDF goes to the spooler as it is drawn; a failure cancels the job.
  writeFormPdf(
      printerBytes, [&job](const std::string& piece) { writeSpoolJob(*job, piece); }, warnings);
  const std::string warning = finishSpoolJob(*job);
  if (!warning.empty()) warnings.push_back(warning);
  return warnings;
}
