#ifndef TIMETABLE_PLATFORM_STATE_FOLDER_POSIX_TEST_SUPPORT_H_
#define TIMETABLE_PLATFORM_STATE_FOLDER_POSIX_TEST_SUPPORT_H_

#include <cstdlib>
#include <string>

#include "platform/scratch_folder_test_support.h"

// A scratch folder that is also the user's state folder (XDG_STATE_HOME, Linux's), where the
// support log, the kept forms and the copies go.
class ScratchStateFolder : public ScratchFolder {
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

#endif  // TIMETABLE_PLATFORM_STATE_FOLDER_POSIX_TEST_SUPPORT_H_
