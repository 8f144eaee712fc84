#include <gtest/gtest.h>

#include <variant>

#include "driver/destination_setting.h"
#include "driver/destination_setting_test_support.h"

namespace {

// On Linux a path is a device or a file, and LPT1 a file in the working folder.
TEST(DestinationSetting, APathIsADeviceOrFileThatGetsThePrintersBytesWhateverItsName) {
  const DestinationRequest device = requestOf("/dev/usb/lp0");
  EXPECT_TRUE(sameRequest(device, requestWith("/dev/usb/lp0", "", false, false)));
  EXPECT_TRUE(device.printerBytes);
  const Destination file = chooseDestination(requestOf("/tmp/form.pdf"));
  ASSERT_TRUE(std::holds_alternative<BytesFileDestination>(file));
  EXPECT_TRUE(std::holds_alternative<DeviceDestination>(chooseDestination(requestOf("/dev/null"))));
}

TEST(DestinationSetting, APathIsComparedByTheFileItNames) {
  EXPECT_TRUE(sameDestination(requestWith("./LPT1", "", false, false), requestOf("lpt1")));
  EXPECT_TRUE(
      sameDestination(requestWith("/dev/../dev/null", "", false, false), requestOf("/dev/null")));
}

}  // namespace
