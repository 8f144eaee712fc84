#ifndef TIMETABLE_SERVICE_ONLINE_LOOKUP_TEST_SUPPORT_H_
#define TIMETABLE_SERVICE_ONLINE_LOOKUP_TEST_SUPPORT_H_

// For the unit tests and the fuzz target: the search while the answer is read, beside the search
// of the decoded answer, which serves as the reference it must agree with.
#include <exception>
#include <string>
#include <typeinfo>

#include "service/online_lookup.h"
#include "service/service_request.h"

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
