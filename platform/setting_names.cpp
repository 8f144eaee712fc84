#include "platform/setting_names.h"

#include <algorithm>

const SettingName kSettingNames[] = {{"service", "Service"},
                                     {"ca-file", "CAFile"},
                                     {"proxy", "Proxy"},
                                     {"destination", "Destination"}};
const size_t kSettingNameCount = sizeof(kSettingNames) / sizeof(kSettingNames[0]);

bool isSettingName(const std::string& name) {
  return std::any_of(kSettingNames, kSettingNames + kSettingNameCount,
                     [&name](const SettingName& known) { return name == known.name; });
}

std::string settingNamesText() {
  std::string text;
  for (size_t i = 0; i < kSettingNameCount; ++i) {
    text += (i == 0 ? "" : ", ") + std::string(kSettingNames[i].name);
  }
  return text;
}
