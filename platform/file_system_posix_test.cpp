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

// A link that another user put in a sticky folder that anyone may write is refused wherever it
// stands on the way: as the last name, as a folder of the path, or where another link leads.
TEST_F(FileSystemTest, APlantedLinkIsFoundInAnyPlaceOfThePath) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  const uid_t other = 12345;
  ASSERT_EQ(mkdir("shared", 01777), 0);
  ASSERT_EQ(chmod("shared", 01777), 0);
  ASSERT_EQ(mkdir("private", 0700), 0);
  ASSERT_EQ(mkdir("open", 0777), 0);
  ASSERT_EQ(chmod("open", 0777), 0);
  ASSERT_EQ(symlink("../private", "shared/dirlink"), 0);
  ASSERT_EQ(lchown("shared/dirlink", other, other), 0);
  ASSERT_EQ(symlink("../private", "open/dirlink"), 0);
  ASSERT_EQ(lchown("open/dirlink", other, other), 0);
  ASSERT_EQ(symlink("shared/dirlink/form.prn", "own"), 0);
  ASSERT_EQ(symlink("../private", "shared/ownlink"), 0);
  std::string reason;
  EXPECT_TRUE(isPlantedLink("shared/dirlink/form.prn", reason));
  EXPECT_TRUE(isPlantedLink("./shared//dirlink/sub/form.prn", reason));
  EXPECT_TRUE(isPlantedLink("own", reason));
  EXPECT_NE(reason.find("another user"), std::string::npos) << reason;
  // Not sticky: anyone could have replaced any name there, a link is no worse.
  EXPECT_FALSE(isPlantedLink("open/dirlink/form.prn", reason));
  // The user's own link in the shared folder.
  EXPECT_FALSE(isPlantedLink("shared/ownlink/form.prn", reason));
  EXPECT_FALSE(isPlantedLink("private/form.prn", reason));
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
