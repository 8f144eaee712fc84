#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/machine_folder.h"
#include "platform/scratch_folder_test_support.h"

namespace {

class MachineFolderTest : public ScratchFolder {};

mode_t modeOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

// Every user reads the machine's copies, whatever the umask of the administrator who fetched them.
TEST_F(MachineFolderTest, FoldersAndFilesAreReadableByAllAndWritableByTheOwnerAlone) {
  const mode_t old = umask(077);
  const std::string folder = (folder_ / "var" / "cache" / "copies").string();
  std::string reason;
  const bool made = makeMachineFolder(folder, reason);
  const bool written = made && writeMachineFile(folder + "/5410.copy", "x", reason);
  umask(old);
  ASSERT_TRUE(written) << reason;
  EXPECT_EQ(modeOf(folder), 0755u);
  EXPECT_EQ(modeOf((folder_ / "var").string()), 0755u);
  EXPECT_EQ(modeOf(folder + "/5410.copy"), 0644u);
  EXPECT_EQ(contentsOf((folder + "/5410.copy").c_str()), "x");
  EXPECT_EQ(entriesHere(), 1);
  // A folder that is there is taken as it is; a file in its place is not.
  EXPECT_TRUE(makeMachineFolder(folder, reason)) << reason;
  EXPECT_FALSE(makeMachineFolder(folder + "/5410.copy", reason));
}

}  // namespace
