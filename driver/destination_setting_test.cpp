#include "driver/destination_setting.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

DestinationRequest requestWith(const std::string& output, const std::string& printer, bool drawn,
                               bool view) {
  DestinationRequest request;
  request.outputFile = output;
  request.printer = printer;
  request.drawn = drawn;
  request.view = view;
  return request;
}

DestinationRequest requestOf(const std::string& value) {
  DestinationRequest request;
  EXPECT_EQ(readDestinationSetting(value, request), "") << value;
  return request;
}

bool sameRequest(const DestinationRequest& a, const DestinationRequest& b) {
  return a.outputFile == b.outputFile && a.printer == b.printer && a.drawn == b.drawn &&
         a.view == b.view;
}

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

TEST(DestinationSetting, APathIsADeviceOrFileThatGetsThePrintersBytesWhateverItsName) {
  const DestinationRequest device = requestOf("/dev/usb/lp0");
  EXPECT_TRUE(sameRequest(device, requestWith("/dev/usb/lp0", "", false, false)));
  EXPECT_TRUE(device.printerBytes);
  const Destination file = chooseDestination(requestOf("/tmp/form.pdf"));
  ASSERT_TRUE(std::holds_alternative<BytesFileDestination>(file));
  EXPECT_TRUE(std::holds_alternative<DeviceDestination>(chooseDestination(requestOf("/dev/null"))));
}

TEST(DestinationSetting, DestinationsAreComparedByWhatTheyAre) {
  EXPECT_TRUE(sameDestination(DestinationRequest(), requestWith("LPT1", "", false, false)));
  EXPECT_TRUE(sameDestination(requestWith("./LPT1", "", false, false), requestOf("lpt1")));
  EXPECT_TRUE(
      sameDestination(requestWith("/dev/../dev/null", "", false, false), requestOf("/dev/null")));
  EXPECT_TRUE(sameDestination(requestWith("", "LASER", true, false), requestOf("drawn:laser")));
  EXPECT_TRUE(sameDestination(requestWith("", "", false, true), requestOf("view")));
  EXPECT_FALSE(sameDestination(requestWith("b.prn", "", false, false), DestinationRequest()));
  EXPECT_FALSE(sameDestination(requestWith("", "laser", false, false), requestOf("drawn:laser")));
  EXPECT_FALSE(sameDestination(requestWith("", "", true, false), requestOf("drawn:laser")));
  EXPECT_FALSE(sameDestination(requestWith("f.pdf", "", false, true), requestOf("view")));
}

}  // namespace
