#ifndef TIMETABLE_SERVICE_ONLINE_LOOKUP_TEST_SUPPORT_H_
#define TIMETABLE_SERVICE_ONLINE_LOOKUP_TEST_SUPPORT_H_

// For the unit tests and the fuzz target: the search while the answer is read, beside the search
// of the decoded answer, which serves as the reference it must agree with.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <typeinfo>

#include "json/json_number.h"
#include "service/online_lookup.h"
#include "service/service_message.h"
#include "service/service_request.h"

// The number of a member as decimal text after dividing it by divisor, or empty when the member
// is missing or not a number the form can show.
inline std::string memberText(const nlohmann::json& entry, const char* key, int32_t divisor) {
  auto member = entry.find(key);
  int32_t number = 0;
  if (member == entry.end() || !readInt32(*member, number)) return std::string();
  return std::to_string(number / divisor);
}

// The reference search, on the decoded list: the search while the answer is read must give the
// same result, trainData and errors as this one on serviceMessageOf(body, httpStatus, url).
inline bool searchOnlineTrains(const nlohmann::json& list, const std::string& trainNumber,
                               TrainData& trainData) {
  if (!list.is_array()) return false;
  const long wanted = std::stol(trainNumber);
  const size_t limit = std::min(list.size(), static_cast<size_t>(kOnlineTrainScanLimit));
  for (size_t i = 0; i < limit; ++i) {
    const nlohmann::json& entry = list[i];
    if (!entry.is_object()) continue;
    auto number = entry.find("trainNo");
    int32_t found = 0;
    if (number == entry.end() || !readInt32(*number, found) || found != wanted) continue;
    trainData[0].clear();
    trainData[1] = memberText(entry, "dataMass", 1000);
    trainData[2] = memberText(entry, "dataLength", 1);
    return true;
  }
  return false;
}

// What one search gave: its result, trainData, or the type and text of the error it threw.
struct SearchOutcome {
  bool found = false;
  TrainData data = {"", "kept", "kept"};
  std::string error;
};

template <typename Search>
SearchOutcome outcomeOf(Search search) {
  SearchOutcome outcome;
  try {
    outcome.found = search(outcome.data);
  } catch (const std::exception& failure) {
    outcome.error = std::string(typeid(failure).name()) + ": " + failure.what();
  }
  return outcome;
}

inline SearchOutcome decodedSearch(const ServiceAnswer& answer, const std::string& number) {
  return outcomeOf([&](TrainData& data) {
    return searchOnlineTrains(serviceMessageOf(answer.body, answer.httpStatus, answer.url), number,
                              data);
  });
}

inline SearchOutcome streamedSearch(const ServiceAnswer& answer, const std::string& number) {
  return outcomeOf([&](TrainData& data) { return searchOnlineAnswer(answer, number, data); });
}

#endif  // TIMETABLE_SERVICE_ONLINE_LOOKUP_TEST_SUPPORT_H_
