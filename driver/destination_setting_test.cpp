#include "driver/destination_setting.h"

#include <gtest/gtest.h>

#include <variant>

#include "driver/destination_setting_test_support.h"

namespace {

TEST(DestinationSetting, EachValueIsTheRequestOfItsOptions) {
  EXPECT_TRUE(sameRequest(requestOf(""), DestinationRequest()));
  EXPECT_TRUE(sameRequest(requestOf("LPT1"), DestinationRequest()));
  EXPECT_TRUE(sameRequest(requestOf("lpt1"), DestinationRequest()));
  EXPECT_TRUE(sameRequest(requestOf("dotmatrix"), requestWith("", "dotmatrix", false, false)));
  EXPECT_TRUE(sameRequest(requestOf("drawn"), requestWith("", "", true, false)));
  EXPECT_TRUE(sameRequest(requestOf("Drawn"), requestWith("", "", true, false)));
  EXPECT_TRUE(
      sameRequest(requestOf("drawn:Office Laser"), requestWith("", "Office Laser", true, false)));
  EXPECT_TRUE(sameRequest(requestOf("view"), requestWith("", "", false, true)));
  DestinationRequest request;
  EXPECT_EQ(readDestinationSetting("drawn:", request), "names no printer after drawn:");
}

TEST(DestinationSetting, DestinationsAreComparedByWhatTheyAre) {
  EXPECT_TRUE(sameDestination(DestinationRequest(), requestWith("LPT1", "", false, false)));
  EXPECT_TRUE(sameDestination(requestWith("", "LASER", true, false), requestOf("drawn:laser")));
  EXPECT_TRUE(sameDestination(requestWith("", "", false, true), requestOf("view")));
  EXPECT_FALSE(sameDestination(requestWith("b.prn", "", false, false), DestinationRequest()));
  EXPECT_FALSE(sameDestination(requestWith("", "laser", false, false), requestOf("drawn:laser")));
  EXPECT_FALSE(sameDestination(requestWith("", "", true, false), requestOf("drawn:laser")));
  EXPECT_FALSE(sameDestination(requestWith("f.pdf", "", false, true), requestOf("view")));
}

}  // namespace
