#ifndef TIMETABLE_DRIVER_EXIT_STATUS_H_
#define TIMETABLE_DRIVER_EXIT_STATUS_H_

#include "driver/invocation_plan.h"

// The program's exit statuses, which scripts and the start menu's window read. An interrupt's
// (128 + the signal, 130 on Windows) is platform/interrupt's.
extern const int kExitDone;    // The run did what it was asked.
extern const int kExitFailed;  // It failed, and said why.
extern const int kExitUsage;   // The command line (or a --service) cannot be used.

// Whether what the mode writes to standard output is its answer (--help, --version,
// --list-printers, --check, --settings, --reprint --list), rather than the dialogue, which only
// shows the run and whose loss does not stop the form.
bool outputIsTheAnswer(InvocationMode mode);

// The status of a mode whose output is its answer: failed when the answer could not be written
// whole (outputError, the system's error, is not 0), as any tool's must, since a script would
// take the silence for success.
int statusOfAnswer(int status, int outputError);

#endif  // TIMETABLE_DRIVER_EXIT_STATUS_H_
