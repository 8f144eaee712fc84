#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/private_file.h"
#include "platform/scratch_folder_test_support.h"

namespace {

namespace fs = std::filesystem;

using PrivateFileTest = ScratchFolder;

mode_t modeOf(const char* path) {
  struct stat status = {};
  lstat(path, &status);
  return status.st_mode & 07777;
}

TEST_F(PrivateFileTest, AFolderAndAFileAreTheUsersAloneAndReadBackWhole) {
  std::string reason;
  ASSERT_TRUE(requirePrivateFolder((folder_ / "state" / "kept").string(), reason)) << reason;
  EXPECT_EQ(modeOf("state/kept"), 0700u);
  ASSERT_TRUE(writePrivateFile("state/kept/form-1.kept", std::string("a\0b", 3), reason)) << reason;
  EXPECT_EQ(modeOf("state/kept/form-1.kept"), 0600u);
  std::string bytes;
  ASSERT_TRUE(readPrivateFile("state/kept/form-1.kept", 100, bytes, reason)) << reason;
  EXPECT_EQ(bytes, std::string("a\0b", 3));
  // Replaced whole, and nothing left beside it.
  ASSERT_TRUE(writePrivateFile("state/kept/form-1.kept", "new", reason)) << reason;
  EXPECT_EQ(contentsOf("state/kept/form-1.kept"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator("state/kept"), fs::directory_iterator()), 1);
  EXPECT_FALSE(readPrivateFile("state/kept/form-1.kept", 2, bytes, reason));
  EXPECT_NE(reason.find("too large"), std::string::npos) << reason;
}

TEST_F(PrivateFileTest, ALinkInPlaceOfAFileIsNeitherReadNorWrittenThrough) {
  std::ofstream("target") << "someone's file";
  fs::create_symlink("target", "form-1.kept");
  std::string reason;
  std::string bytes;
  EXPECT_FALSE(readPrivateFile("form-1.kept", 100, bytes, reason));
  EXPECT_NE(reason.find("symbolic link"), std::string::npos) << reason;
  EXPECT_FALSE(writePrivateFile("form-1.kept", "form", reason));
  EXPECT_FALSE(movePrivateFile("form-1.kept", "form-2.kept", reason));
  EXPECT_EQ(contentsOf("target"), "someone's file");
  EXPECT_TRUE(fs::is_symlink("form-1.kept"));
  fs::create_directory("real");
  fs::create_directory_symlink("real", "linked");
  EXPECT_FALSE(requirePrivateFolder((folder_ / "linked").string(), reason));
}

TEST_F(PrivateFileTest, AFileOthersMayReadIsRefused) {
  std::ofstream("open.kept") << "form";
  chmod("open.kept", 0644);
  std::string reason;
  std::string bytes;
  EXPECT_FALSE(readPrivateFile("open.kept", 100, bytes, reason));
  EXPECT_NE(reason.find("other users"), std::string::npos) << reason;
  fs::create_directory("shared");
  chmod("shared", 0755);
  EXPECT_FALSE(requirePrivateFolder((folder_ / "shared").string(), reason));
}

}  // namespace
