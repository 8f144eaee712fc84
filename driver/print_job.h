#ifndef TIMETABLE_DRIVER_PRINT_JOB_H_
#define TIMETABLE_DRIVER_PRINT_JOB_H_

#include "printer/destination.h"

// Runs one print job: prepares the destination, asks for the train number and fetches the
// timetable, looks up the train's mass and length and asks for the locomotives and the speed,
// then prints the form at the destination. Any failure that ends the job is thrown as an
// exception whose text says what went wrong.
void runPrintJob(Destination destination);

#endif  // TIMETABLE_DRIVER_PRINT_JOB_H_
