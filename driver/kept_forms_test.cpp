#include "driver/kept_forms.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/state_folder_posix_test_support.h"

namespace {

namespace fs = std::filesystem;

// The kept forms go where the support log goes: here, under the test's own folder.
using KeptFormsTest = ScratchStateFolder;

KeptForm formOf(const std::string& train, const std::string& bytes) {
  KeptForm form;
  form.trainNumber = train;
  form.trainLabel = "OS" + train;
  form.fetchedAt = 1765300000;
  form.rows = 3;
  form.version = "1.5.0";
  form.warning = "the form is INCOMPLETE";
  form.bytes = bytes;
  return form;
}

TEST_F(KeptFormsTest, AFormIsReadBackAsKeptAndTheLastFiveAreKept) {
  std::string reason;
  for (int train = 1; train <= 7; ++train) {
    ASSERT_TRUE(keepForm(formOf(std::to_string(train), "bytes\n\r\x0c" + std::to_string(train)),
                         reason) == KeepOutcome::kKept)
        << reason;
  }
  KeptForm form;
  bool absent = false;
  ASSERT_TRUE(readKeptForm(1, form, absent, reason)) << reason;
  EXPECT_EQ(form.trainNumber, "7");
  EXPECT_EQ(form.trainLabel, "OS7");
  EXPECT_EQ(form.fetchedAt, 1765300000);
  EXPECT_EQ(form.rows, 3);
  EXPECT_EQ(form.version, "1.5.0");
  EXPECT_EQ(form.warning, "the form is INCOMPLETE");
  EXPECT_EQ(form.bytes,
            "bytes\n\r\x0c"
            "7");
  ASSERT_TRUE(readKeptForm(kKeptFormCount, form, absent, reason)) << reason;
  EXPECT_EQ(form.trainNumber, "3");
  EXPECT_FALSE(readKeptForm(kKeptFormCount + 1, form, absent, reason));
  EXPECT_TRUE(absent);
}

TEST_F(KeptFormsTest, AFormCutShortIsNotUsed) {
  std::string reason;
  ASSERT_EQ(keepForm(formOf("5410", "the whole form"), reason), KeepOutcome::kKept) << reason;
  const std::string path = keptFormPath(1);
  std::string text = contentsOf(path.c_str());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - 4);
  KeptForm form;
  bool absent = true;
  EXPECT_FALSE(readKeptForm(1, form, absent, reason));
  EXPECT_FALSE(absent);
  EXPECT_NE(reason.find("not a whole kept form"), std::string::npos) << reason;
}

// Forms kept by 1.5.0 hold the carriage returns the printer got; read, they are the form's text.
TEST_F(KeptFormsTest, AnOlderFormWithCarriageReturnsIsReadAsTheFormsText) {
  std::string reason;
  ASSERT_EQ(keepForm(formOf("5410", "x"), reason), KeepOutcome::kKept) << reason;
  const std::string old =
      "timetable-print kept form\nversion: 1.5.0\ntrain: 5410\nlabel: OS5410\nfetched: "
      "1765300000\nrows: 3\nwarning: \nbytes: 8\n\na\r\nb\rc\r\n";
  std::ofstream(keptFormPath(1), std::ios::binary | std::ios::trunc) << old;
  KeptForm form;
  bool absent = true;
  ASSERT_TRUE(readKeptForm(1, form, absent, reason)) << reason;
  EXPECT_EQ(form.bytes, "a\nb\rc\n");
}

// A full disk while the new form is written leaves the kept forms as they were, and no part.
TEST_F(KeptFormsTest, TheNewFormIsWrittenWholeBeforeTheOthersMove) {
  std::string reason;
  ASSERT_EQ(keepForm(formOf("1", "one"), reason), KeepOutcome::kKept) << reason;
  ASSERT_EQ(keepForm(formOf("2", "two"), reason), KeepOutcome::kKept) << reason;
  struct rlimit saved = {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const KeepOutcome outcome = keepForm(formOf("3", std::string(5000, 'x')), reason);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);
  EXPECT_EQ(outcome, KeepOutcome::kFailed);
  KeptForm form;
  bool absent = false;
  ASSERT_TRUE(readKeptForm(1, form, absent, reason)) << reason;
  EXPECT_EQ(form.trainNumber, "2");
  EXPECT_FALSE(readKeptForm(3, form, absent, reason));
  EXPECT_TRUE(absent);
  // The two forms and the lock file.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "state" / "timetable-print"),
                          fs::directory_iterator()),
            3);
}

// Runs that share the folder and keep their forms at once lose none of them.
TEST_F(KeptFormsTest, FormsKeptAtOnceByRunsSharingTheFolderAreAllKept) {
  std::string reason;
  ASSERT_EQ(keepForm(formOf("0", "zero"), reason), KeepOutcome::kKept) << reason;
  std::vector<pid_t> runs;
  for (int run = 1; run < kKeptFormCount; ++run) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string childReason;
      const bool kept = keepForm(formOf(std::to_string(run), std::string(200000, 'x')),
                                 childReason) == KeepOutcome::kKept;
      _exit(kept ? 0 : 1);
    }
    runs.push_back(child);
  }
  for (const pid_t child : runs) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::set<std::string> trains;
  for (int number = 1; number <= kKeptFormCount; ++number) {
    KeptForm form;
    bool absent = false;
    ASSERT_TRUE(readKeptForm(number, form, absent, reason)) << number << ": " << reason;
    trains.insert(form.trainNumber);
  }
  EXPECT_EQ(trains.size(), static_cast<size_t>(kKeptFormCount));
  EXPECT_EQ(*trains.begin(), "0");
}

// A form a reprint could not read is not kept, and the caller is told why.
TEST_F(KeptFormsTest, AFormOverTheReadLimitIsNotKept) {
  std::string reason;
  EXPECT_EQ(keepForm(formOf("5410", std::string(kKeptFormLimit, 'x')), reason),
            KeepOutcome::kTooLarge);
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(fs::exists(keptFormPath(1)));
}

TEST_F(KeptFormsTest, WithoutTheLastFormTheLowestNumberThereIsTheLast) {
  std::string reason;
  for (const char* train : {"1", "2", "3"}) {
    ASSERT_EQ(keepForm(formOf(train, "form"), reason), KeepOutcome::kKept) << reason;
  }
  EXPECT_EQ(lastKeptFormNumber(), 1);
  fs::remove(keptFormPath(1));
  EXPECT_EQ(lastKeptFormNumber(), 2);
}

TEST(KeptFormAge, AFormIsPrintedAgainFromItsFetchUntilTheHoursArePast) {
  KeptForm form;
  form.fetchedAt = 1765300000;
  const int64_t hours = kKeptFormHours * 3600;
  EXPECT_EQ(keptFormAge(form, form.fetchedAt), KeptFormAge::kFresh);
  EXPECT_EQ(keptFormAge(form, form.fetchedAt + hours), KeptFormAge::kFresh);
  EXPECT_EQ(keptFormAge(form, form.fetchedAt + hours + 1), KeptFormAge::kTooOld);
  EXPECT_EQ(keptFormAge(form, form.fetchedAt - 1), KeptFormAge::kFromTheFuture);
}

}  // namespace
