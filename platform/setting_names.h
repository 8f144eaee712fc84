#ifndef TIMETABLE_PLATFORM_SETTING_NAMES_H_
#define TIMETABLE_PLATFORM_SETTING_NAMES_H_

#include <string>

// The settings a site or a user may keep, once for every store: the name a settings file uses
// and the registry value (under the settings key and the policy key alike) that holds it.
struct SettingName {
  const char* name;           // As settings files and messages write it: "ca-file".
  const char* registryValue;  // The value's name in the registry: "CAFile".
};

extern const SettingName kSettingNames[];
extern const size_t kSettingNameCount;

// Each setting's row in kSettingNames, for the code that names one.
enum SettingIndex : size_t {
  kServiceSetting,
  kCaFileSetting,
  kProxySetting,
  kDestinationSetting,
  kEventsSetting,
  kOfflineSetting,
  kPrefetchSetting
};

// The name of the setting, as settings files and messages write it.
const char* settingName(SettingIndex index);

// Whether name is one of the settings, exactly as the files write it.
bool isSettingName(const std::string& name);

// The names of the settings for messages, in the table's order: "service, ca-file, proxy,
// destination, events, offline and prefetch".
std::string settingNamesText();

#endif  // TIMETABLE_PLATFORM_SETTING_NAMES_H_
