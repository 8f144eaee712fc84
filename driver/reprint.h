#ifndef TIMETABLE_DRIVER_REPRINT_H_
#define TIMETABLE_DRIVER_REPRINT_H_

#include "driver/command_line.h"

// --reprint: sends a kept form (driver/kept_forms.h), byte for byte, to the destination the
// command line names, asking nothing and fetching nothing, and ends with one line of which train,
// fetched when, how many rows and where it went; a form cut short is warned of again, last. A
// form kept longer than kKeptFormHours is refused. --reprint --list shows the kept forms. Returns
// the exit status; a failure is thrown as std::runtime_error.
int runReprint(const CommandLine& line);

#endif  // TIMETABLE_DRIVER_REPRINT_H_
