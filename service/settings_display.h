#ifndef TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_
#define TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_

#include <string>

#include "service/service_settings.h"

// Each setting's value and where it came from, with what is wrong with it, how the service's
// certificate is checked, and each source that could not be read, one line each. A proxy's user
// and password are shown as ***.
std::string describeServiceSettings(const ServiceSettings& settings);

#endif  // TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_
