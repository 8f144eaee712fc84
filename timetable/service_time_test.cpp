#include "timetable/service_time.h"

#include <gtest/gtest.h>

namespace {

std::string printed(const std::string& text) {
  ClockTime time;
  return readServiceTime(text, time) ? printedTime(time) : "unreadable";
}

TEST(ServiceTime, ShiftsOneHourAndWrapsAtMidnight) {
  ClockTime time;
  ASSERT_TRUE(readServiceTime("2022-06-15T14:05:00Z", time));
  EXPECT_EQ(time.hour, 15);
  EXPECT_EQ(time.minute, 5);
  EXPECT_EQ(minuteOfDay(time), 905);
  EXPECT_EQ(printedTime(time), "15:05");
  EXPECT_EQ(printed("2022-06-15T23:40:00Z"), "00:40");
  EXPECT_EQ(printed("2022-06-15T00:00:00Z"), "01:00");
  EXPECT_EQ(printed("2022-06-15T08:09:59Z"), "09:09");
  EXPECT_EQ(serviceClockShift(22), 23);
  EXPECT_EQ(serviceClockShift(23), 0);
}

TEST(ServiceTime, ClockPartWithoutDateZoneOrWithFraction) {
  EXPECT_EQ(printed("14:05:00"), "15:05");
  EXPECT_EQ(printed("2022-06-15T14:05:00"), "15:05");
  EXPECT_EQ(printed("2022-06-15T14:05:00.000Z"), "15:05");
}

TEST(ServiceTime, UnreadableTexts) {
  for (const char* text : {"", "garbage", "2022-06-15T1:05:00Z", "2022-06-15T14:05Z",
                           "2022-06-15T24:00:00Z", "2022-06-15T14:60:00Z", "2022-06-15T-1:05:00Z",
                           "2022-06-15T14:05:xxZ", "2022-06-15T 4:05:00Z"}) {
    EXPECT_EQ(printed(text), "unreadable") << text;
  }
}

}  // namespace
