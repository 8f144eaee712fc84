#include "platform/setting_names.h"

#include <algorithm>
#include <vector>

#include "platform/messages.h"

const SettingName kSettingNames[] = {{"service", "Service"},  {"ca-file", "CAFile"},
                                     {"proxy", "Proxy"},      {"destination", "Destination"},
                                     {"events", "Events"},    {"offline", "Offline"},
                                     {"prefetch", "Prefetch"}};
const size_t kSettingNameCount = sizeof(kSettingNames) / sizeof(kSettingNames[0]);

const char* settingName(SettingIndex index) { return kSettingNames[index].name; }

bool isSettingName(const std::string& name) {
  return std::any_of(kSettingNames, kSettingNames + kSettingNameCount,
                     [&name](const SettingName& known) { return name == known.name; });
}

std::string settingNamesText() {
  std::vector<std::string> names;
  for (size_t i = 0; i < kSettingNameCount; ++i) names.push_back(kSettingNames[i].name);
  return listed(names);
}
