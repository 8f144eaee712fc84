#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"

namespace {

// What the descriptor is open on: its device and inode, or zeros when it is closed.
std::pair<dev_t, ino_t> fileOf(int descriptor) {
  struct stat status {};
  if (fstat(descriptor, &status) != 0) return {0, 0};
  return {status.st_dev, status.st_ino};
}

bool isNullDevice(int descriptor) {
  struct stat opened {};
  struct stat null {};
  return fstat(descriptor, &opened) == 0 && stat("/dev/null", &null) == 0 &&
         S_ISCHR(opened.st_mode) && opened.st_rdev == null.st_rdev;
}

// In a child of its own, as it closes the process's standard output; each failed expectation
// ends it with a status of its own.
void closeOutputAndReopen() {
  const auto input = fileOf(0);
  const auto errors = fileOf(2);
  close(1);
  const std::vector<std::string> closed = reopenClosedStandardStreams();
  if (closed != std::vector<std::string>{"standard output"}) std::_Exit(3);
  if (!isNullDevice(1) || fileOf(0) != input || fileOf(2) != errors) std::_Exit(4);
  // A file opened now does not take the closed one's place.
  const int opened = open("/dev/null", O_RDONLY);
  if (opened <= 2) std::_Exit(5);
  if (writeConsoleText(stdout, "answer\n")) std::_Exit(6);
  if (standardOutputError() != EBADF) std::_Exit(7);
  std::_Exit(0);
}

}  // namespace

TEST(ConsolePosix, AClosedStandardOutputIsReopenedOnTheNullDeviceAndStaysAFailure) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(closeOutputAndReopen(), testing::ExitedWithCode(0), "");
}

TEST(ConsolePosix, OpenStandardStreamsAreLeftAlone) {
  EXPECT_EQ(reopenClosedStandardStreams(), std::vector<std::string>());
  EXPECT_EQ(standardOutputError(), 0);
}
