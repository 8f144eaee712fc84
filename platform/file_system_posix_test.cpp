#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// A settings file or a bundle that is a pipe without a writer would hold the run at its open; a
// device that never ends, at its read.
TEST_F(FileSystemTest, AWholeFileIsReadUpToOneBytePastTheLimitAndOnlyAPlainOneWhenAsked) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  std::ofstream("file") << "12345";
  EXPECT_TRUE(readFileUpTo("pipe", 10, true).notRegular);
  EXPECT_TRUE(readFileUpTo(".", 10, true).notRegular);
  EXPECT_EQ(readFileUpTo("file", 10, true).bytes, "12345");
  EXPECT_EQ(readFileUpTo("file", 3, true).bytes, "1234");
  EXPECT_EQ(readFileUpTo("/dev/zero", 100000, false).bytes.size(), 100001u);
  const FileBytes missing = readFileUpTo("missing", 10, true);
  EXPECT_EQ(missing.error, ENOENT);
  EXPECT_FALSE(missing.notRegular);
  EXPECT_FALSE(missing.reason.empty());
}

TEST(FolderOf, KeepsTheFolderWithItsSlashAndTakesABackslashAsPartOfAName) {
  EXPECT_EQ(folderOf("/var/log/x.log"), "/var/log/");
  EXPECT_EQ(folderOf("/x"), "/");
  EXPECT_EQ(folderOf("x.log"), "");
  EXPECT_EQ(folderOf("a\\b.log"), "");
}

}  // namespace
