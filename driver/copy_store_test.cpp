#include "driver/copy_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "platform/state_folder_posix_test_support.h"

namespace {

namespace fs = std::filesystem;

// The user's copies go where the support log goes: here, under the test's own folder.
using CopyStoreTest = ScratchStateFolder;

TimetableCopy copyOf(const std::string& train, int64_t fetchedAt) {
  TimetableCopy copy;
  copy.trainNumber = train;
  copy.fetchedAt = fetchedAt;
  copy.answer = "{\"message\":{\"train\":" + train + "}}";
  return copy;
}

const int64_t kNow = 1796880600;

TEST_F(CopyStoreTest, ACopyIsKeptForTheUserAloneAndReadBack) {
  std::string reason;
  ASSERT_TRUE(keepUserCopy(copyOf("5410", kNow - 100), reason)) << reason;
  ASSERT_TRUE(keepUserCopy(copyOf("5410", kNow - 50), reason)) << reason;
  const CopyCandidate user = copiesOfTrain("5410", kNow).front();
  EXPECT_EQ(user.owner, CopyOwner::kUser);
  ASSERT_TRUE(user.present);
  EXPECT_EQ(user.refusal, "");
  EXPECT_EQ(user.copy.fetchedAt, kNow - 50);
  EXPECT_EQ(user.copy.answer, copyOf("5410", 0).answer);
  struct stat status {};
  ASSERT_EQ(stat(user.path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_FALSE(copiesOfTrain("5411", kNow).front().present);
}

TEST_F(CopyStoreTest, ADamagedCopyIsRefusedWithItsPath) {
  std::string reason;
  ASSERT_TRUE(keepUserCopy(copyOf("5410", kNow), reason)) << reason;
  const std::string path = copyPathIn(userCopiesFolder(), "5410");
  fs::resize_file(path, fs::file_size(path) - 1);
  const CopyCandidate user = copiesOfTrain("5410", kNow).front();
  EXPECT_TRUE(user.present);
  EXPECT_NE(user.refusal.find(path), std::string::npos);
}

TEST_F(CopyStoreTest, TheOldestCopiesGoBeyondTheLimit) {
  std::string reason;
  // The oldest is kept last, so that age and not the order of keeping decides.
  for (int i = 1; i <= kMaxUserCopies; ++i) {
    ASSERT_TRUE(keepUserCopy(copyOf(std::to_string(1000 + i), kNow - 1000 + i), reason)) << reason;
  }
  ASSERT_TRUE(keepUserCopy(copyOf("1", kNow - 5000), reason)) << reason;
  EXPECT_FALSE(copiesOfTrain("1", kNow).front().present);
  EXPECT_TRUE(copiesOfTrain("1001", kNow).front().present);
  ASSERT_TRUE(keepUserCopy(copyOf("2", kNow), reason)) << reason;
  EXPECT_FALSE(copiesOfTrain("1001", kNow).front().present);
  EXPECT_TRUE(copiesOfTrain("1002", kNow).front().present);
  EXPECT_TRUE(copiesOfTrain("2", kNow).front().present);
  EXPECT_EQ(std::distance(fs::directory_iterator(userCopiesFolder()), fs::directory_iterator()),
            kMaxUserCopies);
}

}  // namespace
