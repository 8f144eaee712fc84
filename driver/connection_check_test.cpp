#include "driver/connection_check.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "service/service_request.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// A service where nothing listens (port 1 of the machine itself): the name and the settings
// pass, the connection fails in the program's own words, and the steps after it are skipped.
TEST(ConnectionCheck, ARefusedConnectionFailsItsStepAndSkipsTheRest) {
  CommandLine line;
  line.check = true;
  line.service = "localhost:1";
  line.output = testing::TempDir() + "connection-check-form.prn";
  testing::internal::CaptureStdout();
  const int status = runConnectionCheck(readInvocationPlan(line));
  endServiceRequests();
  const std::string shown = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 1) << shown;
  const std::vector<std::string> lines = linesOf(shown);
  bool nameShown = false, connectionFailed = false, detailShown = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& text = lines[i];
    // A name that resolved is never shown with an empty address.
    EXPECT_NE(text.substr(text.size() < 12 ? 0 : text.size() - 12), "the address ") << shown;
    if (text.rfind("[ok] the name localhost ", 0) == 0) nameShown = true;
    if (text.rfind("[failed] cannot reach the timetable service at localhost:1; ", 0) == 0) {
      connectionFailed = true;
      EXPECT_NE(text.find("the server refused the connection"), std::string::npos) << text;
      // libcurl's own words follow on their own indented line, never in the message.
      EXPECT_EQ(text.find("curl"), std::string::npos) << text;
      ASSERT_LT(i + 1, lines.size());
      detailShown = lines[i + 1].rfind("    in libcurl's words: ", 0) == 0;
    }
  }
  EXPECT_TRUE(nameShown) << shown;
  EXPECT_TRUE(connectionFailed) << shown;
  EXPECT_TRUE(detailShown) << shown;
  EXPECT_NE(shown.find("[skipped] the secure connection (TLS)"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[skipped] the service's answer"), std::string::npos) << shown;
}

// A plain file standing for the printer takes the form and puts nothing on paper: the check
// warns of it, and passes.
TEST(ConnectionCheck, APlainFileForThePrinterIsAWarning) {
  InvocationPlan plan;
  plan.service.host = "localhost";
  plan.errors.push_back("the settings are left out here");
  plan.destinationRequest.outputFile = testing::TempDir() + "connection-check-lpt1";
  plan.destinationRequest.printerBytes = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(runConnectionCheck(plan), 1);
  std::vector<std::string> lines = linesOf(testing::internal::GetCapturedStdout());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].rfind("[warning] ", 0), 0u) << lines[lines.size() - 2];
  EXPECT_NE(lines.back().find("connection-check-lpt1"), std::string::npos);
}

}  // namespace
