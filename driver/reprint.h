#ifndef TIMETABLE_DRIVER_REPRINT_H_
#define TIMETABLE_DRIVER_REPRINT_H_

#include "driver/invocation_plan.h"

// --reprint: sends a kept form (driver/kept_forms.h), byte for byte, to the plan's destination,
// where a run would print (the options, else the setting, else LPT1), asking nothing and
// fetching nothing, and ends with one line of which train, fetched when, how many rows and where
// it went; a form cut short is warned of again, last. A form kept longer than kKeptFormHours is
// refused. Only the settings that decide where the form goes must be usable: the service's are
// not asked. Returns the exit status; a failure is thrown as std::runtime_error.
int runReprint(const InvocationPlan& plan, int number);

// --reprint --list: shows the kept forms.
int listKeptForms();

#endif  // TIMETABLE_DRIVER_REPRINT_H_
