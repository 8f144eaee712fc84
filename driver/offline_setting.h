#ifndef TIMETABLE_DRIVER_OFFLINE_SETTING_H_
#define TIMETABLE_DRIVER_OFFLINE_SETTING_H_

// The settings of the copies of timetables: offline, how many hours old a copy may be and still
// be printed when the service cannot give the timetable (0, the built-in value, for never), and
// prefetch, the trains whose copies --prefetch fetches ("5410, 38170-38179").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "service/service_settings.h"

extern const int64_t kMaxOfflineHours;
extern const size_t kMaxPrefetchTrains;

// Reads a value of offline; empty is 0. Returns what is wrong with it, or an empty text.
std::string readOfflineHours(const std::string& value, int64_t& hours);

// Reads a list of train numbers and ranges, separated by commas, each train once, in the order
// given. Returns what is wrong with it, or an empty text.
std::string readTrainList(const std::string& value, std::vector<std::string>& trains);

// The hours of the setting offline; 0 when it is off or cannot be used. A value that cannot be
// used is marked with its problem, and the error that ends a run over it is added to errors.
int64_t readOfflineSetting(Setting& offline, std::vector<std::string>& errors);

// The trains of the setting prefetch; none when it is empty or cannot be used, which marks it
// with its problem. Only --prefetch reads it, so its problem ends nothing else.
std::vector<std::string> readPrefetchSetting(Setting& prefetch);

#endif  // TIMETABLE_DRIVER_OFFLINE_SETTING_H_
