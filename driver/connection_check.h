#ifndef TIMETABLE_DRIVER_CONNECTION_CHECK_H_
#define TIMETABLE_DRIVER_CONNECTION_CHECK_H_

#include "driver/invocation_plan.h"

// timetable-print --check: checks, in order, what a run of the same plan needs: the
// settings, the service's name, the proxy, the connection, TLS, an answer of the service (the
// list of trains online, through the same requests as a run), and the destination. One line per
// step on standard output, a failed one saying what to do as the errors do, and the steps that
// need it skipped; the support log gets the same lines. A device or file that stands for the
// printer is named by its kind, and a plain file gets a warning, as nothing of it reaches paper.
// Asks nothing and prints nothing. Returns the exit status: 0 when every step passed (a warning
// passes), else 1. The plan's refusal is the caller's, as for a run.
int runConnectionCheck(const InvocationPlan& plan);

#endif  // TIMETABLE_DRIVER_CONNECTION_CHECK_H_
