#ifndef TIMETABLE_TIMETABLE_STOP_TABLE_H_
#define TIMETABLE_TIMETABLE_STOP_TABLE_H_

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

const int kStopTableCapacity = 99;

// The stop points the table had no room for: how many rows they would have made, and the names
// of the first and the last of them as a row would print them. A count of 0 means none.
struct RowsLeftOut {
  int count = 0;
  std::string firstName;
  std::string lastName;
};

// One row per printed stop, as parallel columns; row i is entry i of every column.
struct StopTable {
  std::array<std::string, kStopTableCapacity> stationName;
  std::array<unsigned char, kStopTableCapacity> highlighted;
  std::array<std::string, kStopTableCapacity> arrivalText;
  std::array<std::string, kStopTableCapacity> departureText;
  std::array<int32_t, kStopTableCapacity> runMinutes;
  std::array<int32_t, kStopTableCapacity> dwellMinutes;
  // Kilometres along the route; kMissingDistance where the service gave none.
  std::array<double, kStopTableCapacity> distance;
  std::array<std::string, kStopTableCapacity> stopType;
  RowsLeftOut leftOut;
};

// Marks a stop point without a distance; it prints as an empty distance.
extern const double kMissingDistance;
bool isMissingDistance(double distance);

// Fills the table from the timetable's "trainInfo" and "stopPoints", skipping block signals
// (names beginning "SBL" or "sbl"), and sets the train label (category and number) and the route
// text. Returns the index of the last row written. The table ends at the first stop point
// without a departure time or at the last stop point. Rows beyond the capacity are left out and
// recorded in table.leftOut; warning then says that the form is incomplete, the last row printed,
// how many were left out and the last of them, for the caller to show; it is empty otherwise.
// Unreadable data, or no stop point that gets a row, is thrown as std::runtime_error naming the
// stop point and the offending value.
int32_t buildStopTable(nlohmann::json trainInfo, nlohmann::json stopPoints, StopTable& table,
                       std::string& trainLabel, std::string& routeText, std::string& warning);

#endif  // TIMETABLE_TIMETABLE_STOP_TABLE_H_
