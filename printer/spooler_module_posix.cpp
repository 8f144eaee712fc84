// The spooler module's entry: everything else in the module is hidden, so that its calls stay
// within it, and what it takes from the program (the platform, the renderer's functions) is the
// program's own.
#include "printer/page_printer.h"
#include "printer/spooler.h"
#include "printer/spooler_module.h"

namespace {

const SpoolerModule kModule{listSpoolPrinters, hasSpoolPrinter, defaultSpoolPrinter,
                            spoolPrinterState, startSpoolJob,   writeSpoolJob,
                            finishSpoolJob,    printDrawnPages};

}  // namespace

extern "C" __attribute__((visibility("default"))) const SpoolerModule* timetableSpoolerModule() {
  return &kModule;
}
