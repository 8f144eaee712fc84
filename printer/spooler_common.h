#ifndef TIMETABLE_PRINTER_SPOOLER_COMMON_H_
#define TIMETABLE_PRINTER_SPOOLER_COMMON_H_

#include <string>
#include <vector>

#include "printer/spooler.h"

// What both platforms' spoolers share: what they say in the same words.

// Throws std::runtime_error: the spooler has no printer of that name.
[[noreturn]] void failNoPrinter(const std::string& printer);

// The texts both spoolers give in the same words, for formatMessage: {0} names the printer or the
// print job and {1} is the spooler's reason, beside it; the list's text takes the reason alone,
// as {0}.
const char* cannotListPrintersText();
const char* jobNotTakenText();
const char* jobStartNotTakenText();
const char* formNotTakenText();
const char* jobNotFinishedText();

// A job as the user finds it in the spooler's queue: PRINTER-ID.
std::string spoolJobName(const std::string& printer, long long id);

// The printers as --list-printers shows them, one a line, the default one marked. A name may
// hold anything the spooler took, so each is cleaned as a message is (oneLine): no escape in a
// name reaches the terminal.
std::string printerListText(const std::vector<SpoolPrinter>& printers);

#endif  // TIMETABLE_PRINTER_SPOOLER_COMMON_H_
