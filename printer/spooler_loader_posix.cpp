// The spooler's functions as the program calls them, each handed to the spooler module, which is
// opened the first time one is called: the first question to the spooler, before the first
// prompt.
#include "platform/program_module.h"
#include "printer/page_printer.h"
#include "printer/spooler.h"
#include "printer/spooler_module.h"

namespace {

const SpoolerModule& spooler() {
  static const SpoolerModule* const module = reinterpret_cast<SpoolerModuleEntry>(
      programModuleEntry(kSpoolerModuleFile, kSpoolerModuleEntry))();
  return *module;
}

}  // namespace

std::vector<SpoolPrinter> listSpoolPrinters() { return spooler().listSpoolPrinters(); }

bool hasSpoolPrinter(const std::string& printer) { return spooler().hasSpoolPrinter(printer); }

std::string defaultSpoolPrinter() { return spooler().defaultSpoolPrinter(); }

SpoolPrinterState spoolPrinterState(const std::string& printer) {
  return spooler().spoolPrinterState(printer);
}

SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName) {
  return spooler().startSpoolJob(printer, documentName);
}

void writeSpoolJob(SpoolJob& job, const std::string& bytes) { spooler().writeSpoolJob(job, bytes); }

std::string finishSpoolJob(SpoolJob& job) { return spooler().finishSpoolJob(job); }

std::vector<std::string> printDrawnPages(const std::string& printer,
                                         const std::string& documentName,
                                         const std::string& printerBytes) {
  return spooler().printDrawnPages(printer, documentName, printerBytes);
}
