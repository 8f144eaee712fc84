#include "driver/offline_setting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OfflineSetting, HoursAreAWholeNumberUpToTheLimitAndEmptyIsNever) {
  int64_t hours = -1;
  EXPECT_EQ(readOfflineHours("", hours), "");
  EXPECT_EQ(hours, 0);
  EXPECT_EQ(readOfflineHours("12", hours), "");
  EXPECT_EQ(hours, 12);
  EXPECT_EQ(readOfflineHours(std::to_string(kMaxOfflineHours), hours), "");
  EXPECT_EQ(hours, kMaxOfflineHours);
  for (const char* wrong : {"-1", "1.5", " 2", "2h", "721", "99999999999999999999"}) {
    EXPECT_NE(readOfflineHours(wrong, hours), "") << wrong;
    EXPECT_EQ(hours, 0) << wrong;
  }
}

TEST(OfflineSetting, ARunTakesNoHoursFromAWrongValue) {
  std::vector<std::string> errors;
  Setting offline;
  offline.value = "x";
  EXPECT_EQ(readOfflineSetting(offline, errors), 0);
  EXPECT_NE(offline.problem, "");
  EXPECT_EQ(errors.size(), 1u);
  errors.clear();
  offline = Setting();
  offline.value = "3";
  EXPECT_EQ(readOfflineSetting(offline, errors), 3);
  EXPECT_TRUE(errors.empty());
  // A wrong list marks only the list, which --prefetch alone reads.
  Setting prefetch;
  prefetch.value = "x";
  EXPECT_TRUE(readPrefetchSetting(prefetch).empty());
  EXPECT_NE(prefetch.problem, "");
}

TEST(OfflineSetting, TrainListsTakeNumbersAndRangesEachTrainOnce) {
  std::vector<std::string> trains;
  EXPECT_EQ(readTrainList("5410, 38170-38172,5410 ,38171", trains), "");
  EXPECT_EQ(trains, (std::vector<std::string>{"5410", "38170", "38171", "38172"}));
  for (const char* wrong : {"", "5410,", "x", "38179-38170", "1-2-3", "5410 5411", "-5"}) {
    EXPECT_NE(readTrainList(wrong, trains), "") << wrong;
  }
}

TEST(OfflineSetting, TrainListsHoldAtMostTheLimit) {
  std::vector<std::string> trains;
  EXPECT_EQ(readTrainList("1-1000", trains), "");
  EXPECT_EQ(trains.size(), kMaxPrefetchTrains);
  EXPECT_NE(readTrainList("1-1001", trains), "");
  EXPECT_NE(readTrainList("1-1000, 5000", trains), "");
  EXPECT_EQ(readTrainList("1-1000, 1000", trains), "");
}

}  // namespace
