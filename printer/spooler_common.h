#ifndef TIMETABLE_PRINTER_SPOOLER_COMMON_H_
#define TIMETABLE_PRINTER_SPOOLER_COMMON_H_

#include <string>

// What both platforms' spoolers share: what they say in the same words.

// Throws std::runtime_error: the spooler has no printer of that name; --list-printers helps.
[[noreturn]] void failNoPrinter(const std::string& printer);

// A job as the user finds it in the spooler's queue: PRINTER-ID.
std::string spoolJobName(const std::string& printer, long long id);

#endif  // TIMETABLE_PRINTER_SPOOLER_COMMON_H_
