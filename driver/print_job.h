#ifndef TIMETABLE_DRIVER_PRINT_JOB_H_
#define TIMETABLE_DRIVER_PRINT_JOB_H_

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "printer/destination.h"
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
  std::string tableWarning;  // The stop table's warning of rows left out, or empty.
  std::wstring lok1, lok2, lok3, vmax;
};

// Runs one print job: prepares the destination, asks for the train number and fetches the
// timetable, looks up the train's mass and length and asks for the locomotives and the speed,
// then prints the form at the destination. Any failure that ends the job is thrown as an
// exception whose text says what went wrong.
void runPrintJob(Destination destination);

// Where the form went, in the support log's words.
std::string destinationText(const Destination& destination);

#endif  // TIMETABLE_DRIVER_PRINT_JOB_H_
