#ifndef TIMETABLE_DRIVER_CONNECTION_CHECK_H_
#define TIMETABLE_DRIVER_CONNECTION_CHECK_H_

#include "driver/command_line.h"

// timetable-print --check: checks, in order, what a run with the same command line needs: the
// settings, the service's name, the proxy, the connection, TLS, an answer of the service (the
// list of trains online, through the same requests as a run), and the destination. One line per
// step on standard output, a failed one saying what to do as the errors do, and the steps that
// need it skipped; the support log gets the same lines. Asks nothing and prints nothing. Returns
// the exit status: 0 when every step passed, else 1; 2, after an error line and before any step,
// for a --service that cannot be used, as a run's usage error.
int runConnectionCheck(const CommandLine& line);

#endif  // TIMETABLE_DRIVER_CONNECTION_CHECK_H_
