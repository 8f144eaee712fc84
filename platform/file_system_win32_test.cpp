// Names derived from a drive-relative path such as C:form.prn, which is form.prn in the current
// folder of drive C. NTFS reads a colon after the first part of a name as a stream, so a
// temporary name ".C:form.prn..." would be a stream of a new file ".C"; wine has no streams and
// takes it as a name, so the derived name itself is checked here.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "platform/scratch_folder_test_support.h"

namespace {

using FileSystemTest = ScratchFolder;

TEST_F(FileSystemTest, ADriveRelativePathIsResolvedBeforeNamesAreDerivedFromIt) {
  const std::string drive = std::filesystem::current_path().string().substr(0, 2);
  ASSERT_EQ(drive[1], ':');
  std::string created;
  std::string reason;
  std::FILE* file = createFileBeside(drive + "form.prn", false, created, reason);
  ASSERT_NE(file, nullptr) << reason;
  std::fclose(file);
  EXPECT_EQ(created.rfind(':'), 1u) << created;  // The drive's colon alone.
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(created).parent_path(), "."))
      << created;
  EXPECT_TRUE(replaceFile(created, drive + "form.prn", reason)) << reason;
  EXPECT_EQ(entriesHere(), 1);
  EXPECT_TRUE(fileExists("form.prn"));
  // A device name is one in any folder, the drive's current one too.
  EXPECT_TRUE(isDeviceOrPipe(drive + "LPT1"));
  EXPECT_FALSE(isDeviceOrPipe(drive + "form.prn"));
}

TEST(FolderOf, TakesEitherSeparator) {
  EXPECT_EQ(folderOf("C:\\Program Files\\x\\x.exe"), "C:\\Program Files\\x\\");
  EXPECT_EQ(folderOf("C:/x/y.log"), "C:/x/");
  EXPECT_EQ(folderOf("y.log"), "");
}

}  // namespace
