#include "printer/spooler_common.h"

#include <stdexcept>

#include "printer/spooler.h"

void failNoPrinter(const std::string& printer) {
  throw std::runtime_error("there is no printer \"" + printer +
                           "\" at the print spooler; --list-printers shows the printers");
}

std::string spoolJobName(const std::string& printer, long long id) {
  return printer + "-" + std::to_string(id);
}

std::string requireDefaultSpoolPrinter() {
  std::string printer = defaultSpoolPrinter();
  if (printer.empty()) {
    throw std::runtime_error(
        "the print spooler has no default printer; name one with --printer (--list-printers "
        "shows the printers)");
  }
  return printer;
}
