#ifndef TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_
#define TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_

#include <string>

#include "service/service_settings.h"

// One line of --settings: the setting's name, its value as shown, where it came from, and what is
// wrong with it, cleaned as messages are.
std::string settingLine(const char* name, const std::string& value, const Setting& setting);

// Each setting's value and where it came from, with what is wrong with it, then the lines of the
// other settings (moreSettings, settingLine's each), how the service's certificate is checked, and
// each source that could not be read, one line each. A proxy's user and password are shown as ***.
std::string describeServiceSettings(const ServiceSettings& settings,
                                    const std::string& moreSettings = std::string());

#endif  // TIMETABLE_SERVICE_SETTINGS_DISPLAY_H_
