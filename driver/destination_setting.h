#ifndef TIMETABLE_DRIVER_DESTINATION_SETTING_H_
#define TIMETABLE_DRIVER_DESTINATION_SETTING_H_

#include <string>

#include "driver/command_line.h"
#include "printer/destination.h"
#include "service/service_settings.h"

// The destination setting says where a run without destination options sends the form: LPT1
// (the built-in value, and an empty one), the name of a spooler's printer that gets the printer's
// bytes raw (as --printer NAME), drawn for the drawn form on the default printer (as --drawn),
// drawn:NAME for it on the printer NAME (as --drawn --printer NAME), or view for the screen (as
// --view). The words are taken in any case, as printer names are.

// Reads a value of the setting into the request it stands for. Returns what is wrong with it,
// such as "names no printer after drawn:", or an empty text.
std::string readDestinationSetting(const std::string& value, DestinationRequest& request);

// The request of a run: the command line's when it names a destination, else the setting's. A
// policy's setting admits only options that ask for the same destination; another is the
// settings' usage error (unless they have one already). A value that cannot be used is marked
// with its problem, and its error is among the settings' errors when the run would use it.
DestinationRequest chooseDestinationRequest(const CommandLine& line, ServiceSettings& settings);

#endif  // TIMETABLE_DRIVER_DESTINATION_SETTING_H_
