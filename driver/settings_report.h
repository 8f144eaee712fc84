#ifndef TIMETABLE_DRIVER_SETTINGS_REPORT_H_
#define TIMETABLE_DRIVER_SETTINGS_REPORT_H_

#include "driver/invocation_plan.h"

// timetable-print --settings: shows every setting with where it came from, what cannot be used
// marked, the proxy the service is reached through, and where the support log is (or why this
// run keeps none), so that one look finds every fault. Returns the exit status: 0 when every
// setting can be used, else 1 after an error line.
int runSettingsReport(const InvocationPlan& plan);

#endif  // TIMETABLE_DRIVER_SETTINGS_REPORT_H_
