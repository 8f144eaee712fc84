#include "service/timetable_query.h"

#include "service/service_message.h"

const char* const kTimetableQueryPrefix = "method=readFromSWDR&value=getTimetable;";

std::string timetableQuery(const std::string& trainNumber, const std::string& regionCode) {
  return kTimetableQueryPrefix + trainNumber + ";" + regionCode;
}

ServiceAnswer fetchTimetableAnswer(const std::string& trainNumber, const std::string& regionCode) {
  return fetchServiceAnswer(timetableQuery(trainNumber, regionCode), kMaxTimetableAnswerBytes);
}

nlohmann::json fetchTimetable(std::string trainNumber, std::string regionCode) {
  return fetchServiceMessage(timetableQuery(trainNumber, regionCode), kMaxTimetableAnswerBytes);
}
