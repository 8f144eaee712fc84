#include "printer/spooler_texts.h"

#include <stdexcept>

void failNoPrinter(const std::string& printer) {
  throw std::runtime_error("there is no printer \"" + printer +
                           "\" at the print spooler; --list-printers shows the printers");
}

std::string spoolJobName(const std::string& printer, long long id) {
  return printer + "-" + std::to_string(id);
}
