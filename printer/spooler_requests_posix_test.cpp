#include <cups/cups.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "printer/spooler_requests_cups.h"

namespace {

TEST(SpoolerRequests, ACupsThatDoesNotAnswerIsNamedWithoutTheSystemsWords) {
  // Nothing listens on port 1 of the machine itself.
  setenv("CUPS_SERVER", "127.0.0.1:1", 1);
  cupsSetServer(nullptr);
  std::string message;
  try {
    connectToSpooler();
  } catch (const std::runtime_error& failure) {
    message = failure.what();
  }
  unsetenv("CUPS_SERVER");
  cupsSetServer(nullptr);
  EXPECT_NE(message.find("127.0.0.1:1"), std::string::npos) << message;
  EXPECT_EQ(message.find(std::strerror(ECONNREFUSED)), std::string::npos) << message;
}

}  // namespace
