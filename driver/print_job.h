#ifndef TIMETABLE_DRIVER_PRINT_JOB_H_
#define TIMETABLE_DRIVER_PRINT_JOB_H_

#include "printer/destination.h"

// Runs one print job: prepares the destination, asks for the train number and fetches the
// timetable, looks up the train's mass and length and asks for the locomotives and the speed,
// then prints the form at the destination. With offlineHours above 0, a copy of the timetable at
// most that old may stand in for the service's answer (driver/offline_fallback.h), and each
// answer printed whole is kept as a copy. Any failure that ends the job is thrown as an
// exception whose text says what went wrong.
#include <cstdint>

void runPrintJob(Destination destination, int64_t offlineHours);

#endif  // TIMETABLE_DRIVER_PRINT_JOB_H_
