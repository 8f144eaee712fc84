#include "driver/destination_setting.h"

#include <gtest/gtest.h>

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

ServiceSettings withDestination(const std::string& value, bool policy) {
  ServiceSettings settings;
  settings.destination = Setting{value, "/etc/site.conf, line 1", policy, std::string()};
  return settings;
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

TEST(DestinationSetting, OptionsWinUnlessThePolicySetsIt) {
  CommandLine line;
  line.printer = "other";
  ServiceSettings settings = withDestination("drawn", false);
  EXPECT_TRUE(sameRequest(chooseDestinationRequest(line, settings),
                          requestWith("", "other", false, false)));
  EXPECT_EQ(settings.usageError, "");
  settings = withDestination("drawn", true);
  EXPECT_TRUE(
      sameRequest(chooseDestinationRequest(line, settings), requestWith("", "", true, false)));
  EXPECT_EQ(settings.usageError,
            "the options \"--printer other\" cannot be used, as the site's policy sets the "
            "destination drawn; leave them out: the policy is /etc/site.conf, line 1");
  // The same destination as the policy's is no conflict, a printer's name in any case.
  line = CommandLine();
  line.drawn = true;
  line.printer = "LASER";
  settings = withDestination("drawn:laser", true);
  chooseDestinationRequest(line, settings);
  EXPECT_EQ(settings.usageError, "");
  // Without options, the setting.
  settings = withDestination("view", false);
  EXPECT_TRUE(sameRequest(chooseDestinationRequest(CommandLine(), settings),
                          requestWith("", "", false, true)));
}

TEST(DestinationSetting, AValueThatCannotBeUsedIsAnErrorOnlyWhereItCounts) {
  ServiceSettings settings = withDestination("drawn:", false);
  chooseDestinationRequest(CommandLine(), settings);
  EXPECT_EQ(settings.destination.problem, "names no printer after drawn:");
  ASSERT_EQ(settings.errors.size(), 1u);
  EXPECT_EQ(settings.errors[0],
            "the setting destination = \"drawn:\" (from /etc/site.conf, line 1) names no printer "
            "after drawn:; write LPT1, a printer's name, drawn, drawn:PRINTER or view");
  CommandLine line;
  line.view = true;
  settings = withDestination("drawn:", false);
  chooseDestinationRequest(line, settings);
  EXPECT_EQ(settings.destination.problem, "names no printer after drawn:");
  EXPECT_TRUE(settings.errors.empty());
  // Options do not replace a site's policy, not even one that cannot be used: the run ends.
  settings = withDestination("drawn:", true);
  chooseDestinationRequest(line, settings);
  EXPECT_EQ(settings.errors.size(), 1u);
}

}  // namespace
