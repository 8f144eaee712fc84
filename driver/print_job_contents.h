#ifndef TIMETABLE_DRIVER_PRINT_JOB_CONTENTS_H_
#define TIMETABLE_DRIVER_PRINT_JOB_CONTENTS_H_

// What a job holds, apart from running it, so that the entry point does not read the JSON the
// timetable comes in.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "service/online_lookup.h"
#include "timetable/stop_table.h"

// Everything one job gathers before it prints.
struct PrintJob {
  std::string trainNumber;
  nlohmann::json trainInfo;
  nlohmann::json stopPoints;
  TrainData trainData;
  StopTable table;
  std::string trainLabel;
  std::string routeText;
  int32_t lastRow = 0;
  int64_t fetchedAt = 0;     // When the timetable came: seconds since 1970, UTC.
  bool fromCopy = false;     // The timetable is a copy kept earlier, fetched at fetchedAt.
  std::string answer;        // The service's answer, to keep as a copy; empty for none.
  std::string tableWarning;  // The stop table's warning of rows left out, or empty.
  std::wstring lok1, lok2, lok3, vmax;
};

// Whether the timetable query's "message" holds a timetable: a non-empty list of stop points.
bool holdsTimetable(const nlohmann::json& answer);

// Takes the train's description and stop points from the timetable query's "message". Without a
// non-empty list of stop points the service has no timetable for the train, which is thrown as
// std::runtime_error. An absent description reads as an empty one.
void takeTimetable(nlohmann::json answer, PrintJob& job);

// Builds the job's stop table, train label and route text from the timetable it took, which is
// not needed afterwards and is moved from. Returns a warning when the table could not hold every
// stop, otherwise an empty text.
std::string buildJobStopTable(PrintJob& job);

#endif  // TIMETABLE_DRIVER_PRINT_JOB_CONTENTS_H_
