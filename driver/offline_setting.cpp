#include "driver/offline_setting.h"

#include <algorithm>
#include <set>

#include "driver/train_number.h"
#include "platform/messages.h"
#include "platform/translation.h"

// A month: a copy older than that is no timetable anyone should drive by.
const int64_t kMaxOfflineHours = 720;
const size_t kMaxPrefetchTrains = 1000;

namespace {

std::string trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

std::string readOfflineHours(const std::string& value, int64_t& hours) {
  hours = 0;
  if (value.empty()) return std::string();
  const bool digits = value.size() <= 4 && std::all_of(value.begin(), value.end(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
  if (!digits || std::stoll(value) > kMaxOfflineHours) {
    return formatMessage(translate("is not a whole number of hours from 0 to {0}"),
                         {std::to_string(kMaxOfflineHours)});
  }
  hours = std::stoll(value);
  return std::string();
}

std::string readTrainList(const std::string& value, std::vector<std::string>& trains) {
  trains.clear();
  const std::string problem =
      formatMessage(translate("is not a list of train numbers and ranges, such as "
                              "5410, 38170-38179, of at most {0} trains"),
                    {std::to_string(kMaxPrefetchTrains)});
  std::set<unsigned long long> taken;
  for (size_t at = 0; at <= value.size();) {
    const size_t comma = std::min(value.find(',', at), value.size());
    const std::string item = trimmed(value.substr(at, comma - at));
    at = comma + 1;
    const size_t dash = item.find('-');
    const std::string first = trimmed(item.substr(0, dash));
    const std::string last = dash == std::string::npos ? first : trimmed(item.substr(dash + 1));
    if (!isTrainNumber(first) || !isTrainNumber(last)) return problem;
    const unsigned long long from = std::stoull(first);
    const unsigned long long to = std::stoull(last);
    if (to < from || to - from >= kMaxPrefetchTrains) return problem;
    for (unsigned long long train = from; train <= to; ++train) {
      if (!taken.insert(train).second) continue;
      if (trains.size() == kMaxPrefetchTrains) return problem;
      trains.push_back(std::to_string(train));
    }
  }
  return std::string();
}

int64_t readOfflineSetting(Setting& offline, std::vector<std::string>& errors) {
  int64_t hours = 0;
  offline.problem = readOfflineHours(offline.value, hours);
  if (offline.problem.empty()) return hours;
  errors.push_back(formatMessage(
      translate("the setting offline = {0} ({1}) {2}; write how many hours old a copy of a "
                "timetable may be and still be printed, or 0 for never"),
      {::quoted(offline.value), originText(offline), offline.problem}));
  return 0;
}

std::vector<std::string> readPrefetchSetting(Setting& prefetch) {
  std::vector<std::string> trains;
  if (prefetch.value.empty()) return trains;
  prefetch.problem = readTrainList(prefetch.value, trains);
  if (!prefetch.problem.empty()) trains.clear();
  return trains;
}
