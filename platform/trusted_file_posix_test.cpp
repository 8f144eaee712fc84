#include "platform/trusted_file_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_beside.h"
#include "platform/scratch_folder_test_support.h"
#include "platform/support_log.h"

namespace {

namespace fs = std::filesystem;

using TrustedFileTest = ScratchFolder;

mode_t modeOf(const char* path) {
  struct stat status = {};
  lstat(path, &status);
  return status.st_mode & 07777;
}

struct stat plainFile(uid_t owner, mode_t mode, nlink_t links) {
  struct stat status = {};
  status.st_mode = S_IFREG | mode;
  status.st_uid = owner;
  status.st_nlink = links;
  return status;
}

// Each rule's decisions on the owner, the bits and the names, as the log, the kept forms,
// cacert.pem and the policy meet them.
TEST(FaultOfStatus, EachRuleTrustsItsOwnersAndNoOneWhoMayChangeTheFile) {
  const uid_t user = geteuid();
  const uid_t other = user + 1000;
  EXPECT_EQ(faultOfStatus(plainFile(user, 0600, 1), TrustRule::kUsersAlone, false),
            TrustFault::kNone);
  // Others may read the user's file; no one else may change it or own it.
  EXPECT_EQ(faultOfStatus(plainFile(user, 0644, 1), TrustRule::kUsersAlone, false),
            TrustFault::kNone);
  EXPECT_EQ(faultOfStatus(plainFile(other, 0600, 1), TrustRule::kUsersAlone, false),
            TrustFault::kOwner);
  EXPECT_EQ(faultOfStatus(plainFile(user, 0620, 1), TrustRule::kUsersAlone, false),
            TrustFault::kWritableByOthers);
  EXPECT_EQ(faultOfStatus(plainFile(user, 0602, 1), TrustRule::kUsersOrRoots, false),
            TrustFault::kWritableByOthers);
  EXPECT_EQ(faultOfStatus(plainFile(user, 0600, 2), TrustRule::kUsersAlone, false),
            TrustFault::kHardLink);
  EXPECT_EQ(faultOfStatus(plainFile(user, 0600, 2), TrustRule::kUsersOrRoots, false),
            TrustFault::kNone);
  EXPECT_EQ(faultOfStatus(plainFile(0, 0644, 1), TrustRule::kUsersOrRoots, false),
            TrustFault::kNone);
  EXPECT_EQ(faultOfStatus(plainFile(other, 0644, 1), TrustRule::kUsersOrRoots, false),
            TrustFault::kOwner);
  EXPECT_EQ(faultOfStatus(plainFile(0, 0644, 1), TrustRule::kMachines, false), TrustFault::kNone);
  EXPECT_EQ(faultOfStatus(plainFile(0, 0664, 1), TrustRule::kMachines, false),
            TrustFault::kWritableByOthers);
  EXPECT_EQ(
      faultOfStatus(plainFile(user == 0 ? other : user, 0644, 1), TrustRule::kMachines, false),
      TrustFault::kOwner);
  struct stat folder = plainFile(user, 0755, 2);
  folder.st_mode = S_IFDIR | 0755;
  EXPECT_EQ(faultOfStatus(folder, TrustRule::kUsersAlone, true), TrustFault::kNone);
  EXPECT_EQ(faultOfStatus(folder, TrustRule::kUsersAlone, false), TrustFault::kNotPlainFile);
  EXPECT_EQ(faultOfStatus(plainFile(user, 0700, 1), TrustRule::kUsersAlone, true),
            TrustFault::kNotFolder);
}

// One folder, one answer for the log and the forms: the user's own folder of 0755 will do, one
// that the group may write will not.
TEST_F(TrustedFileTest, TheStateFolderIsMadeForTheUserAloneAndTrustedByItsWriteBits) {
  std::string reason;
  ASSERT_TRUE(requireUsersFolder((folder_ / "state" / "kept").string(), reason)) << reason;
  EXPECT_EQ(modeOf("state/kept"), 0700u);
  ASSERT_EQ(chmod("state/kept", 0755), 0);
  EXPECT_TRUE(requireUsersFolder((folder_ / "state" / "kept").string(), reason)) << reason;
  ASSERT_EQ(chmod("state/kept", 0775), 0);
  EXPECT_FALSE(requireUsersFolder((folder_ / "state" / "kept").string(), reason));
  EXPECT_EQ(trustFaultOf("state/kept", TrustRule::kUsersAlone, true),
            TrustFault::kWritableByOthers);
}

TEST_F(TrustedFileTest, AFileIsReadOnlyWhenItsRuleTrustsItAndNeverThroughALinkOfTheUsersAlone) {
  std::string reason;
  ASSERT_TRUE(writeFileBeside("form", std::string("a\0b", 3), NewFileAccess::kUsersAlone, reason))
      << reason;
  EXPECT_EQ(modeOf("form"), 0600u);
  EXPECT_EQ(readTrustedFile("form", TrustRule::kUsersAlone, 100).bytes, std::string("a\0b", 3));
  EXPECT_EQ(readTrustedFile("form", TrustRule::kUsersAlone, 2).bytes.size(), 3u);
  EXPECT_EQ(entriesHere(), 1);
  fs::create_symlink("form", "link");
  EXPECT_EQ(readTrustedFile("link", TrustRule::kUsersAlone, 100).fault, TrustFault::kLink);
  EXPECT_EQ(readTrustedFile("link", TrustRule::kUsersOrRoots, 100).fault, TrustFault::kNone);
  fs::create_hard_link("form", "second");
  EXPECT_EQ(readTrustedFile("form", TrustRule::kUsersAlone, 100).fault, TrustFault::kHardLink);
  EXPECT_EQ(readTrustedFile("missing", TrustRule::kUsersAlone, 100).error, ENOENT);
}

// The log writes no file that has a second name elsewhere, where it would be read or changed.
TEST_F(TrustedFileTest, TheLogAppendsToNoFileWithASecondName) {
  std::ofstream("log") << "line\n";
  ASSERT_EQ(chmod("log", 0600), 0);
  std::string reason;
  EXPECT_TRUE(appendToFile("log", "more\n", reason)) << reason;
  fs::create_hard_link("log", "elsewhere");
  EXPECT_FALSE(appendToFile("log", "again\n", reason));
  EXPECT_EQ(contentsOf("elsewhere"), "line\nmore\n");
}

TEST_F(TrustedFileTest, AFileOfAnotherUsersIsNotTheUsersAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  std::ofstream("form") << "form";
  ASSERT_EQ(chmod("form", 0600), 0);
  ASSERT_EQ(chown("form", 12345, 12345), 0);
  EXPECT_EQ(readTrustedFile("form", TrustRule::kUsersAlone, 100).fault, TrustFault::kOwner);
  EXPECT_EQ(trustFaultOf("form", TrustRule::kUsersAlone, false), TrustFault::kOwner);
  EXPECT_EQ(readTrustedFile("form", TrustRule::kUsersOrRoots, 100).fault, TrustFault::kOwner);
}

// cacert.pem's folder: a sticky one, as /tmp, keeps others from replacing the user's file; one
// that others may write without it does not. The machine's files need a folder of root's alone.
TEST_F(TrustedFileTest, AFolderOthersMayWriteIsTrustedOnlyWhenStickyAndOnlyForTheUsersOrRoots) {
  for (const char* name : {"sticky", "open"}) {
    ASSERT_EQ(mkdir(name, 0777), 0);
    std::ofstream(std::string(name) + "/cacert.pem") << "pem";
  }
  ASSERT_EQ(chmod("sticky", 01777), 0);
  ASSERT_EQ(chmod("open", 0777), 0);
  EXPECT_EQ(readTrustedFile("sticky/cacert.pem", TrustRule::kUsersOrRoots, 100).fault,
            TrustFault::kNone);
  EXPECT_EQ(readTrustedFile("open/cacert.pem", TrustRule::kUsersOrRoots, 100).fault,
            TrustFault::kFolderOthersMayWrite);
  EXPECT_EQ(readTrustedFile("sticky/cacert.pem", TrustRule::kUsersAlone, 100).fault,
            TrustFault::kFolderOthersMayWrite);
  std::string reason;
  EXPECT_FALSE(trustMachineFolder("sticky", reason));
  if (geteuid() == 0) {
    ASSERT_EQ(chmod("open", 0755), 0);
    EXPECT_TRUE(trustMachineFolder("open", reason)) << reason;
  }
}

// A link that another user put in a folder others may write is refused wherever it stands on the
// way, sticky or not: as the last name, as a folder of the path, or where another link leads.
TEST_F(TrustedFileTest, APlantedLinkIsFoundInAnyPlaceOfThePathStickyOrNot) {
  if (geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  const uid_t other = 12345;
  ASSERT_EQ(mkdir("shared", 01777), 0);
  ASSERT_EQ(chmod("shared", 01777), 0);
  ASSERT_EQ(mkdir("private", 0700), 0);
  ASSERT_EQ(mkdir("open", 0777), 0);
  ASSERT_EQ(chmod("open", 0777), 0);
  ASSERT_EQ(mkdir("group", 02775), 0);
  ASSERT_EQ(chmod("group", 02775), 0);
  for (const char* folder : {"shared", "open", "group"}) {
    const std::string link = std::string(folder) + "/dirlink";
    ASSERT_EQ(symlink("../private", link.c_str()), 0);
    ASSERT_EQ(lchown(link.c_str(), other, other), 0);
  }
  ASSERT_EQ(symlink("shared/dirlink/form.prn", "own"), 0);
  ASSERT_EQ(symlink("../private", "shared/ownlink"), 0);
  std::string reason;
  EXPECT_TRUE(isPlantedLink("shared/dirlink/form.prn", reason));
  EXPECT_TRUE(isPlantedLink("./shared//dirlink/sub/form.prn", reason));
  EXPECT_TRUE(isPlantedLink("own", reason));
  EXPECT_TRUE(isPlantedLink("open/dirlink/form.prn", reason));
  EXPECT_TRUE(isPlantedLink("group/dirlink/form.prn", reason));
  // On the way to the state folder, for the log and the forms alike.
  EXPECT_FALSE(requireUsersFolder((folder_ / "group" / "dirlink" / "state").string(), reason));
  EXPECT_FALSE(fs::exists("private/state"));
  // The user's own link in the shared folder, and a path without links.
  EXPECT_FALSE(isPlantedLink("shared/ownlink/form.prn", reason));
  EXPECT_FALSE(isPlantedLink("private/form.prn", reason));
}

}  // namespace
