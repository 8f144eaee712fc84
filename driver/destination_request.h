#ifndef TIMETABLE_DRIVER_DESTINATION_REQUEST_H_
#define TIMETABLE_DRIVER_DESTINATION_REQUEST_H_

#include "driver/command_line.h"
#include "printer/destination.h"

// Where the command line sends the form, with the advice for a printer the user did not choose
// worded as the user can take it: from the Start menu, its entries; else the options.
DestinationRequest destinationRequestOf(const CommandLine& line);

#endif  // TIMETABLE_DRIVER_DESTINATION_REQUEST_H_
