#ifndef TIMETABLE_DRIVER_DESTINATION_SETTING_H_
#define TIMETABLE_DRIVER_DESTINATION_SETTING_H_

#include <string>

#include "printer/destination.h"

// The destination setting says where a run without destination options sends the form: LPT1
// (the built-in value, and an empty one), the name of a spooler's printer that gets the printer's
// bytes raw (as --printer NAME), drawn for the drawn form on the default printer (as --drawn),
// drawn:NAME for it on the printer NAME (as --drawn --printer NAME), view for the screen (as
// --view), or a path beginning with / for a device or a file that gets the printer's bytes (as
// -o PATH), such as /dev/usb/lp0. The words are taken in any case, as printer names are.

// Reads a value of the setting into the request it stands for. Returns what is wrong with it,
// such as "names no printer after drawn:", or an empty text.
std::string readDestinationSetting(const std::string& value, DestinationRequest& request);

// Whether a request names a destination at all; one that names none prints on kPrinterDevice.
bool namesDestination(const DestinationRequest& request);

// Whether two requests send the form to the same place, by what it is rather than how it is
// spelt: none and kPrinterDevice are the same, a printer's name in any case is the same printer,
// and two paths of the same file or device are the same file.
bool sameDestination(const DestinationRequest& a, const DestinationRequest& b);

#endif  // TIMETABLE_DRIVER_DESTINATION_SETTING_H_
