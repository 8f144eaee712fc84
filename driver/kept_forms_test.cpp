#include "driver/kept_forms.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/scratch_folder_test_support.h"

namespace {

namespace fs = std::filesystem;

// The kept forms go where the support log goes: here, under the test's own folder.
TEST(KeptForms, AFormIsPrintedAgainForTwelveHoursAfterItWasFetched) {
  const int64_t fetched = 1765350000;
  EXPECT_FALSE(isTooOldToPrintAgain(fetched, fetched + 12 * 3600));
  EXPECT_TRUE(isTooOldToPrintAgain(fetched, fetched + 12 * 3600 + 1));
}

class KeptFormsTest : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    const char* old = std::getenv("XDG_STATE_HOME");
    saved_ = old ? old : "";
    hadState_ = old != nullptr;
    setenv("XDG_STATE_HOME", (folder_ / "state").c_str(), 1);
  }
  void TearDown() override {
    if (hadState_) {
      setenv("XDG_STATE_HOME", saved_.c_str(), 1);
    } else {
      unsetenv("XDG_STATE_HOME");
    }
    ScratchFolder::TearDown();
  }
  std::string saved_;
  bool hadState_ = false;
};

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
    ASSERT_TRUE(
        keepForm(formOf(std::to_string(train), "bytes\r\n\x0c" + std::to_string(train)), reason))
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
            "bytes\r\n\x0c"
            "7");
  ASSERT_TRUE(readKeptForm(kKeptFormCount, form, absent, reason)) << reason;
  EXPECT_EQ(form.trainNumber, "3");
  EXPECT_FALSE(readKeptForm(kKeptFormCount + 1, form, absent, reason));
  EXPECT_TRUE(absent);
}

TEST_F(KeptFormsTest, AFormCutShortIsNotUsed) {
  std::string reason;
  ASSERT_TRUE(keepForm(formOf("5410", "the whole form"), reason)) << reason;
  const std::string path = keptFormPath(1);
  std::string text = contentsOf(path.c_str());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - 4);
  KeptForm form;
  bool absent = true;
  EXPECT_FALSE(readKeptForm(1, form, absent, reason));
  EXPECT_FALSE(absent);
  EXPECT_NE(reason.find("not a whole kept form"), std::string::npos) << reason;
}

}  // namespace
