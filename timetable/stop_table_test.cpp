#include "timetable/stop_table.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using nlohmann::json;

json at(const char* clock) {
  return clock == nullptr ? json(nullptr) : json(std::string("2022-06-15T") + clock + "Z");
}

json stop(const std::string& name, const char* arrival, const char* departure,
          double distance = 1.5) {
  return {{"pointNameRAW", name},       {"pointName", name},
          {"arrivalTime", at(arrival)}, {"departureTime", at(departure)},
          {"pointDistance", distance},  {"pointStopType", "ph"}};
}

struct Built {
  StopTable table;
  std::string label;
  std::string route;
  std::string warning;
  int32_t lastRow = -1;
};

Built build(const json& stopPoints,
            const json& trainInfo = {
                {"trainCategoryCode", "EC"}, {"trainNo", 1234}, {"route", "Kraków|Gdynia"}}) {
  Built built;
  built.lastRow =
      buildStopTable(trainInfo, stopPoints, built.table, built.label, built.route, built.warning);
  return built;
}

std::string errorOf(const json& stopPoints, const json& trainInfo = json::object()) {
  try {
    build(stopPoints, trainInfo);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "no error";
}

TEST(StopTable, WorkedRowAndLabel) {
  Built b = build({stop("A", nullptr, "13:50:00"), stop("B", "14:05:00", "14:07:00"),
                   stop("C", "14:30:00", nullptr)});
  EXPECT_EQ(b.lastRow, 2);
  EXPECT_EQ(b.label, "EC1234");
  EXPECT_EQ(b.route, "Kraków|Gdynia");
  EXPECT_EQ(b.table.arrivalText[0], "-----");
  EXPECT_EQ(b.table.runMinutes[0], 0);
  EXPECT_EQ(b.table.dwellMinutes[0], 0);
  EXPECT_EQ(b.table.arrivalText[1], "15:05");
  EXPECT_EQ(b.table.departureText[1], "15:07");
  EXPECT_EQ(b.table.runMinutes[1], 15);
  EXPECT_EQ(b.table.dwellMinutes[1], 2);
  EXPECT_EQ(b.table.departureText[2], "-----");
  EXPECT_EQ(b.table.runMinutes[2], 23);
  EXPECT_EQ(b.table.dwellMinutes[2], 0);
  EXPECT_EQ(b.table.distance[1], 1.5);
  EXPECT_EQ(b.table.stopType[1], "ph");
}

TEST(StopTable, MidnightWrap) {
  // 22:55 and 23:10 in the service's clock print as 23:55 and 00:10.
  Built b = build({stop("A", nullptr, "22:55:00"), stop("B", "23:10:00", "23:12:00"),
                   stop("C", "00:01:00", nullptr)});
  EXPECT_EQ(b.table.departureText[0], "23:55");
  EXPECT_EQ(b.table.arrivalText[1], "00:10");
  EXPECT_EQ(b.table.runMinutes[1], 15);
  EXPECT_EQ(b.table.dwellMinutes[1], 2);
  EXPECT_EQ(b.table.runMinutes[2], 49);
}

TEST(StopTable, NoMinutesCountFromMidnight) {
  // The first row has no earlier stop to run from, even with an arrival time, and no dwell.
  Built first = build({stop("A", "05:00:00", "05:10:00"), stop("B", "05:20:00", nullptr)});
  EXPECT_EQ(first.table.runMinutes[0], 0);
  EXPECT_EQ(first.table.dwellMinutes[0], 0);
  EXPECT_EQ(first.table.runMinutes[1], 10);
  // A pass in the middle is timed from the previous departure to its own, across midnight.
  Built pass = build({stop("A", nullptr, "22:55:00"), stop("B", nullptr, "23:05:00"),
                      stop("C", "23:20:00", nullptr)});
  EXPECT_EQ(pass.table.arrivalText[1], "-----");
  EXPECT_EQ(pass.table.runMinutes[1], 10);
  EXPECT_EQ(pass.table.dwellMinutes[1], 0);
  EXPECT_EQ(pass.table.runMinutes[2], 15);
  // After a leading block signal the first row is not the first stop point (its dwell counts, as
  // the block signal test shows), yet it has no run time; passed, it has no dwell either.
  Built signal = build({stop("SBL 1", nullptr, nullptr), stop("A", "05:00:00", "05:10:00"),
                        stop("B", "05:20:00", nullptr)});
  EXPECT_EQ(signal.table.runMinutes[0], 0);
  Built passed = build({stop("SBL 1", nullptr, nullptr), stop("A", nullptr, "05:10:00"),
                        stop("B", "05:20:00", nullptr)});
  EXPECT_EQ(passed.table.runMinutes[0], 0);
  EXPECT_EQ(passed.table.dwellMinutes[0], 0);
}

TEST(StopTable, BlockSignalsGetNoRow) {
  Built b = build({stop("SBL Start", nullptr, nullptr), stop("A", "05:00:00", "05:10:00"),
                   stop("sbl 12", "05:12:00", "05:12:00"), stop("Sblewo", "05:20:00", "05:21:00"),
                   stop("SBL x", nullptr, nullptr), stop("B", "05:30:00", nullptr)});
  ASSERT_EQ(b.lastRow, 2);
  EXPECT_EQ(b.table.stationName[0], "A");
  EXPECT_EQ(b.table.dwellMinutes[0], 10);  // Not the timetable's first stop point.
  EXPECT_EQ(b.table.stationName[1], "Sblewo");
  EXPECT_EQ(b.table.runMinutes[1], 10);  // From A's departure: the signal's is ignored.
  EXPECT_EQ(b.table.stationName[2], "B");
  EXPECT_EQ(b.table.runMinutes[2], 9);
}

TEST(StopTable, EndsAtFirstMissingDepartureOrAtTheLastStopPoint) {
  Built b = build({stop("A", nullptr, "05:00:00"), stop("B", "05:10:00", nullptr),
                   stop("C", "05:20:00", "05:30:00")});
  EXPECT_EQ(b.lastRow, 1);
  Built open = build({stop("A", nullptr, "05:00:00"), stop("B", "05:10:00", "05:11:00")});
  EXPECT_EQ(open.lastRow, 1);
  EXPECT_EQ(open.table.departureText[1], "06:11");
}

TEST(StopTable, AbsentMembers) {
  json bare = {{"pointNameRAW", "A"}};
  Built b = build(json::array({bare}), json::object());
  EXPECT_EQ(b.lastRow, 0);
  EXPECT_EQ(b.label, "0");
  EXPECT_EQ(b.route, "");
  EXPECT_EQ(b.table.arrivalText[0], "-----");
  EXPECT_EQ(b.table.departureText[0], "-----");
  EXPECT_TRUE(isMissingDistance(b.table.distance[0]));
  EXPECT_EQ(b.table.stopType[0], "");
  EXPECT_EQ(b.table.highlighted[0], 0);
  Built strong =
      build(json::array({{{"pointNameRAW", "A"}, {"pointName", "x <strong>A</strong>"}}}),
            {{"trainNo", 77}});
  EXPECT_EQ(strong.table.highlighted[0], 1);
  EXPECT_EQ(strong.label, "77");
}

TEST(StopTable, KeepsTheFirst99Rows) {
  json points = json::array();
  for (int i = 0; i < 150; ++i) {
    points.push_back(stop("S" + std::to_string(i), "05:00:00", i == 149 ? nullptr : "05:01:00"));
    if (i % 10 == 0) points.push_back(stop("SBL " + std::to_string(i), nullptr, nullptr));
  }
  Built b = build(points);
  EXPECT_EQ(b.lastRow, 98);
  EXPECT_EQ(b.table.stationName[98], "S98");
  EXPECT_EQ(b.warning,
            "the form is INCOMPLETE: it has room for at most 99 stops; printed up to \"S98\" (row "
            "98), 51 further stops are left out, the last being \"S149\"");
  EXPECT_EQ(b.table.leftOut.count, 51);
  EXPECT_EQ(b.table.leftOut.firstName, "S99");
  EXPECT_EQ(b.table.leftOut.lastName, "S149");
}

TEST(StopTable, UnreadableDataNamesTheStopPoint) {
  EXPECT_EQ(
      errorOf({stop("A", nullptr, "05:00:00"), stop("Łask", "garbage", nullptr)}),
      "the timetable service sent an unreadable arrival time for stop 2 (\"Łask\"); ask the IT "
      "department to check the service: \"arrivalTime\": \"2022-06-15TgarbageZ\"");
  json wrongType = stop("B", nullptr, nullptr);
  wrongType["pointDistance"] = "12 km";
  EXPECT_EQ(errorOf(json::array({wrongType})),
            "the timetable service sent an unreadable distance for stop 1 (\"B\"); ask the IT "
            "department to check the service: \"pointDistance\": \"12 km\"");
  json numericTime = stop("C", nullptr, nullptr);
  numericTime["departureTime"] = 1200;
  EXPECT_EQ(
      errorOf(json::array({numericTime})),
      "the timetable service sent an unreadable departure time for stop 1 (\"C\"); ask the IT "
      "department to check the service: \"departureTime\": 1200");
  EXPECT_EQ(errorOf(json::array({5})),
            "the timetable service sent an unreadable stop 1; ask the IT department to check the "
            "service: 5");
  EXPECT_EQ(errorOf(json::array({stop("A", nullptr, nullptr)}), {{"trainNo", "12"}}),
            "the timetable service sent an unreadable train number for the train; ask the IT "
            "department to check the service: \"trainNo\": \"12\"");
  const std::string noStops =
      "the timetable service sent a timetable without stops to print; check the train number, or "
      "ask the IT department to check the service";
  EXPECT_EQ(errorOf(json::array()), noStops);
  EXPECT_EQ(errorOf(json::array({stop("SBL 1", nullptr, nullptr)})), noStops);
  EXPECT_EQ(
      errorOf(json::object()),
      "the timetable service sent an unreadable list of stops; ask the IT department to check "
      "the service: \"stopPoints\": {}");
}

TEST(StopTable, ServedValuesAreQuotedShortInErrors) {
  json deep = "x";
  for (int level = 0; level < 10; ++level) deep = json::array({deep});
  EXPECT_EQ(errorOf(json::array({deep})),
            "the timetable service sent an unreadable stop 1; ask the IT department to check the "
            "service: [[[[...]]]]");
  json stopPoint = stop("A", nullptr, "10:00:00");
  stopPoint["departureTime"] = std::string(100000, '9');
  const std::string error = errorOf(json::array({stopPoint}));
  EXPECT_EQ(error.find("the timetable service sent an unreadable departure time for stop 1 "
                       "(\"A\"); ask the IT department to check the service: \"departureTime\": "
                       "\"999"),
            0u);
  // The sentence, and about 120 bytes of the value rather than 100,000.
  EXPECT_LT(error.size(), 300u);
  EXPECT_EQ(error.substr(error.size() - 5), "9...\"");
}

}  // namespace
