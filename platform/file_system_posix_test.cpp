#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/file_system.h"
#include "platform/scratch_folder_test_support.h"

namespace {

using FileSystemTest = ScratchFolder;

TEST_F(FileSystemTest, DevicesAndPipesAreWrittenDirectly) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  std::ofstream("file") << "x";
  EXPECT_TRUE(isDeviceOrPipe("pipe"));
  EXPECT_TRUE(isDeviceOrPipe("/dev/null"));
  EXPECT_FALSE(isDeviceOrPipe("file"));
  EXPECT_FALSE(isDeviceOrPipe("missing"));
  EXPECT_FALSE(isDeviceOrPipe("."));
}

}  // namespace
