#include "timetable/stop_table.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "json/json_number.h"
#include "json/json_quote.h"
#include "platform/translation.h"
#include "timetable/service_time.h"

const double kMissingDistance = std::numeric_limits<double>::quiet_NaN();

bool isMissingDistance(double distance) { return std::isnan(distance); }

namespace {

const int kMinutesPerDay = 1440;

// Text from the service, quoted and escaped so that an error message stays on one line, and cut
// short so that it stays short.
std::string quotedForMessage(const nlohmann::json& value) { return quotedJson(value); }

// What the user calls a member of the answer.
const char* plainNameOf(const std::string& key) {
  if (key == "arrivalTime") return translate("arrival time");
  if (key == "departureTime") return translate("departure time");
  if (key == "pointDistance") return translate("distance");
  if (key == "pointStopType") return translate("stop type");
  if (key == "trainNo") return translate("train number");
  if (key == "trainCategoryCode") return translate("train category");
  if (key == "route") return translate("route");
  return translate("station name");
}

// The member as the service sent it, for the technical detail at the end of a message.
std::string memberText(const std::string& key, const nlohmann::json& value) {
  return quotedForMessage(key) + ": " + quotedForMessage(value);
}

// The message of an answer that cannot be used: what of it, for the user; the member last.
[[noreturn]] void failAnswer(const std::string& what, const std::string& detail) {
  throw std::runtime_error(
      formatMessage(translate("the timetable service sent an unreadable {0}; "
                              "ask the IT department to check the service: {1}"),
                    {what, detail}));
}

[[noreturn]] void fail(const std::string& what, const char* key, const nlohmann::json& value) {
  failAnswer(formatMessage(translate("{0} for {1}"), {plainNameOf(key), what}),
             memberText(key, value));
}

// Where an error lies: the stop point's position in running order, counted from 1, and its name.
std::string describeStop(size_t j, const std::string& name) {
  return formatMessage(translate("stop {0} ({1})"), {std::to_string(j + 1), quotedInMessage(name)});
}

// A text member; absent or null reads as the empty text.
std::string readText(const nlohmann::json& object, const char* key, const std::string& what) {
  auto member = object.find(key);
  if (member == object.end() || member->is_null()) return std::string();
  if (!member->is_string()) fail(what, key, *member);
  return member->get<std::string>();
}

// A time member; absent or null reads as no time, which is what the function returns false for.
bool readTime(const nlohmann::json& stop, const char* key, const std::string& what,
              ClockTime& time) {
  auto member = stop.find(key);
  if (member == stop.end() || member->is_null()) return false;
  if (!member->is_string() || !readServiceTime(member->get<std::string>(), time)) {
    fail(what, key, *member);
  }
  return true;
}

double readDistance(const nlohmann::json& stop, const std::string& what) {
  auto member = stop.find("pointDistance");
  if (member == stop.end() || member->is_null()) return kMissingDistance;
  if (!member->is_number()) fail(what, "pointDistance", *member);
  return member->get<double>();
}

std::string readTrainLabel(const nlohmann::json& trainInfo) {
  const std::string what = translate("the train");
  std::string label = readText(trainInfo, "trainCategoryCode", what);
  auto member = trainInfo.find("trainNo");
  int32_t number = 0;
  if (member != trainInfo.end() && !readInt32(*member, number)) fail(what, "trainNo", *member);
  return label + std::to_string(number);
}

bool isBlockSignal(const std::string& name) {
  return name.compare(0, 3, "SBL") == 0 || name.compare(0, 3, "sbl") == 0;
}

int32_t minutesSince(int from, int to) {
  int minutes = to - from;
  return minutes < 0 ? minutes + kMinutesPerDay : minutes;
}

bool hasNoDeparture(const nlohmann::json& stop) {
  auto member = stop.find("departureTime");
  return member == stop.end() || member->is_null();
}

// The rows a timetable would have had after the table's capacity ran out, with their names.
RowsLeftOut rowsLeftOut(const nlohmann::json& stopPoints, size_t from) {
  RowsLeftOut left;
  for (size_t j = from; j < stopPoints.size(); ++j) {
    const nlohmann::json& stop = stopPoints[j];
    std::string name;
    if (stop.is_object()) {
      auto member = stop.find("pointNameRAW");
      if (member != stop.end() && member->is_string()) name = member->get<std::string>();
      if (isBlockSignal(name)) continue;
    }
    if (++left.count == 1) left.firstName = name;
    left.lastName = name;
    if (stop.is_object() && hasNoDeparture(stop)) break;
  }
  return left;
}

// The form cannot look whole to a driver when it is not: the warning names where it stops and
// what is missing.
std::string incompleteFormWarning(const StopTable& table, int32_t lastRow) {
  const RowsLeftOut& left = table.leftOut;
  return formatMessage(
      translatePlural("the form is INCOMPLETE: it has room for at most {0} stops; printed up to "
                      "\"{1}\" (row {2}), {3} further stop is left out: \"{4}\"",
                      "the form is INCOMPLETE: it has room for at most {0} stops; printed up to "
                      "\"{1}\" (row {2}), {3} further stops are left out, the last being \"{4}\"",
                      static_cast<unsigned long>(left.count)),
      {std::to_string(kStopTableCapacity), table.stationName[static_cast<size_t>(lastRow)],
       std::to_string(lastRow), std::to_string(left.count), left.lastName});
}

}  // namespace

int32_t buildStopTable(nlohmann::json trainInfo, nlohmann::json stopPoints, StopTable& table,
                       std::string& trainLabel, std::string& routeText, std::string& warning) {
  warning.clear();
  table.leftOut = RowsLeftOut();
  if (trainInfo.is_null()) trainInfo = nlohmann::json::object();
  if (!trainInfo.is_object()) {
    failAnswer(translate("description of the train"), memberText("trainInfo", trainInfo));
  }
  if (!stopPoints.is_array()) {
    failAnswer(translate("list of stops"), memberText("stopPoints", stopPoints));
  }
  trainLabel = readTrainLabel(trainInfo);
  routeText = readText(trainInfo, "route", translate("the train"));

  int32_t row = -1;
  int previousDeparture = 0;
  for (size_t j = 0; j < stopPoints.size(); ++j) {
    const nlohmann::json& stop = stopPoints[j];
    if (!stop.is_object()) {
      failAnswer(formatMessage(translate("stop {0}"), {std::to_string(j + 1)}),
                 quotedForMessage(stop));
    }
    std::string name = readText(stop, "pointNameRAW",
                                formatMessage(translate("stop {0}"), {std::to_string(j + 1)}));
    if (isBlockSignal(name)) continue;
    if (row + 1 == kStopTableCapacity) {
      table.leftOut = rowsLeftOut(stopPoints, j);
      warning = incompleteFormWarning(table, row);
      break;
    }
    const size_t i = static_cast<size_t>(++row);
    const std::string what = describeStop(j, name);
    table.stationName[i] = name;
    table.highlighted[i] = readText(stop, "pointName", what).find("<strong>") != std::string::npos;

    ClockTime arrival;
    ClockTime departure;
    const bool arrives = readTime(stop, "arrivalTime", what, arrival);
    const bool departs = readTime(stop, "departureTime", what, departure);
    table.arrivalText[i] = arrives ? printedTime(arrival) : "-----";
    table.departureText[i] = departs ? printedTime(departure) : "-----";
    // The first row has no earlier stop to run from. A stop point with a departure but no
    // arrival is passed without stopping: it is timed to its departure and has no dwell.
    if (i == 0 || (!arrives && !departs)) {
      table.runMinutes[i] = 0;
    } else {
      table.runMinutes[i] =
          minutesSince(previousDeparture, minuteOfDay(arrives ? arrival : departure));
    }
    // The timetable's first stop point has no dwell, even when it has an arrival time.
    const bool dwells = j != 0 && arrives && departs;
    table.dwellMinutes[i] = dwells ? minutesSince(minuteOfDay(arrival), minuteOfDay(departure)) : 0;
    if (departs) previousDeparture = minuteOfDay(departure);
    table.distance[i] = readDistance(stop, what);
    table.stopType[i] = readText(stop, "pointStopType", what);
    if (!departs) break;
  }
  if (row < 0) {
    throw std::runtime_error(translate(
        "the timetable service sent a timetable without stops to print; check the train number, or "
        "ask the IT department to check the service"));
  }
  return row;
}
