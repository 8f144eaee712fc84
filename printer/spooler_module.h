#ifndef TIMETABLE_PRINTER_SPOOLER_MODULE_H_
#define TIMETABLE_PRINTER_SPOOLER_MODULE_H_

// The spooler (CUPS) as a module of timetable-print's own on Linux
// (platform/program_module.h): libcups and the libraries it brings are mapped only by a run that
// asks the spooler. What the program calls of it, as spooler.h and page_printer.h declare it.
#include <string>
#include <vector>

#include "printer/spooler.h"

struct SpoolerModule {
  std::vector<SpoolPrinter> (*listSpoolPrinters)();
  bool (*hasSpoolPrinter)(const std::string& printer);
  std::string (*defaultSpoolPrinter)();
  SpoolPrinterState (*spoolPrinterState)(const std::string& printer);
  SpoolJobHandle (*startSpoolJob)(const std::string& printer, const std::string& documentName);
  void (*writeSpoolJob)(SpoolJob& job, const std::string& bytes);
  std::string (*finishSpoolJob)(SpoolJob& job);
  std::vector<std::string> (*printDrawnPages)(const std::string& printer,
                                              const std::string& documentName,
                                              const std::string& printerBytes);
};

// The module's file and its one entry, which returns the module's table.
const char kSpoolerModuleFile[] = "timetable-spooler.so";
const char kSpoolerModuleEntry[] = "timetableSpoolerModule";
using SpoolerModuleEntry = const SpoolerModule* (*)();

#endif  // TIMETABLE_PRINTER_SPOOLER_MODULE_H_
