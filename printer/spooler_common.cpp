#include "printer/spooler_common.h"

#include <stdexcept>

#include "platform/messages.h"
#include "platform/translation.h"
#include "printer/spooler.h"

void failNoPrinter(const std::string& printer) {
  throw std::runtime_error(
      formatMessage(translate("the print spooler has no printer {0}; check its name in the "
                              "system's printer settings"),
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
      "the print spooler cannot list its printers ({0}); try again, or ask the IT "
      "department");
}

const char* jobNotTakenText() {
  return translate(
      "the print spooler did not take a job for the printer \"{0}\" ({1}); print again, or check "
      "the printer in the system's printer settings");
}

const char* jobStartNotTakenText() {
  return translate(
      "the print spooler did not take the start of print job {0} ({1}); print again, or check "
      "the printer in the system's printer settings");
}

const char* formNotTakenText() {
  return translate(
      "the print spooler did not take the form of print job {0} ({1}); print again, or check the "
      "printer in the system's printer settings");
}

const char* jobNotFinishedText() {
  return translate(
      "the print spooler could not finish print job {0} ({1}); print again, or check the "
      "printer in the system's printer settings");
}

std::string spoolJobName(const std::string& printer, long long id) {
  return printer + "-" + std::to_string(id);
}

std::string requireDefaultSpoolPrinter(const std::string& noneError) {
  std::string printer = defaultSpoolPrinter();
  if (printer.empty()) {
    throw std::runtime_error(
        noneError.empty() ? translate("the print spooler has no default printer; choose a default "
                                      "printer in the system's printer settings, then print again")
                          : noneError);
  }
  return printer;
}
