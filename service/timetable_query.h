#ifndef TIMETABLE_SERVICE_TIMETABLE_QUERY_H_
#define TIMETABLE_SERVICE_TIMETABLE_QUERY_H_

#include <nlohmann/json.hpp>
#include <string>

#include "service/service_request.h"

extern const char* const kTimetableQueryPrefix;

// "method=readFromSWDR&value=getTimetable;" + train number + ";" + region code, unescaped: the
// caller passes a train number of digits only.
std::string timetableQuery(const std::string& trainNumber, const std::string& regionCode);

// The "message" of the service's answer to the timetable query, of at most
// kMaxTimetableAnswerBytes; failures as fetchServiceMessage.
nlohmann::json fetchTimetable(std::string trainNumber, std::string regionCode);

// The service's answer to the timetable query as it arrived, not yet decoded, of at most
// kMaxTimetableAnswerBytes; failures as fetchServiceAnswer.
ServiceAnswer fetchTimetableAnswer(const std::string& trainNumber, const std::string& regionCode);

#endif  // TIMETABLE_SERVICE_TIMETABLE_QUERY_H_
