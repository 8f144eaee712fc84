#include "printer/spooler_common.h"

#include <stdexcept>

#include "platform/start_menu.h"
#include "platform/translation.h"
#include "printer/spooler.h"

void failNoPrinter(const std::string& printer) {
  throw std::runtime_error(
      formatMessage(translate("there is no printer \"{0}\" at the print spooler; the program's "
                              "option --list-printers shows the printers"),
                    {printer}));
}

std::string spoolJobName(const std::string& printer, long long id) {
  return printer + "-" + std::to_string(id);
}

std::string requireDefaultSpoolPrinter() {
  std::string printer = defaultSpoolPrinter();
  if (printer.empty()) {
    // From the Start menu there is no command line to name a printer on.
    throw std::runtime_error(
        startedFromMenu()
            ? translate("the print spooler has no default printer; choose a default printer in "
                        "the system's printer settings, then print again")
            : translate("the print spooler has no default printer; choose a default printer in "
                        "the system's printer settings, or name one with the program's option "
                        "--printer (--list-printers shows the printers)"));
  }
  return printer;
}
