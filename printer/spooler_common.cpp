#include "printer/spooler_common.h"

#include <stdexcept>

#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/translation.h"
#include "printer/spooler.h"

void failNoPrinter(const std::string& printer) {
  throw std::runtime_error(
      formatMessage(translate("the print spooler has no printer {0}; the program's option "
                              "--list-printers shows the printers"),
                    {quoted(printer)}));
}

std::string printerListText(const std::vector<SpoolPrinter>& printers) {
  std::string list;
  for (const SpoolPrinter& printer : printers) {
    list += oneLine(printer.name + (printer.isDefault ? translate(" (default)") : "")) + "\n";
  }
  return list;
}

const char* cannotListPrintersText() {
  return translate(
      "the print spooler cannot list its printers; try again, or ask the IT "
      "department: {0}");
}

const char* jobNotTakenText() {
  return translate(
      "the print spooler did not take a job for the printer \"{0}\"; print again, or check the "
      "printer in the system's printer settings: {1}");
}

const char* jobStartNotTakenText() {
  return translate(
      "the print spooler did not take the start of print job {0}; print again, or check the "
      "printer in the system's printer settings: {1}");
}

const char* formNotTakenText() {
  return translate(
      "the print spooler did not take the form of print job {0}; print again, or check the "
      "printer in the system's printer settings: {1}");
}

const char* jobNotFinishedText() {
  return translate(
      "the print spooler could not finish print job {0}; print again, or check the printer in "
      "the system's printer settings: {1}");
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
