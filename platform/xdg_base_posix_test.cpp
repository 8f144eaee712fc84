#include "platform/xdg_base_posix.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace {

// Sets a variable for one test and puts the old value back.
class Variable {
 public:
  Variable(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    if (old != nullptr) old_ = old;
    had_ = old != nullptr;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~Variable() {
    if (had_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(XdgProgramFolder, AnAbsoluteVariableWins) {
  Variable home("HOME", "/home/driver");
  Variable state("XDG_STATE_HOME", "/var/state");
  EXPECT_EQ(xdgProgramFolder("XDG_STATE_HOME", ".local/state"), "/var/state/timetable-print");
}

TEST(XdgProgramFolder, AnUnsetOrRelativeVariableFallsBackToTheHomeFolder) {
  Variable home("HOME", "/home/driver");
  {
    Variable config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(xdgProgramFolder("XDG_CONFIG_HOME", ".config"),
              "/home/driver/.config/timetable-print");
  }
  Variable config("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(xdgProgramFolder("XDG_CONFIG_HOME", ".config"), "/home/driver/.config/timetable-print");
}

TEST(XdgProgramFolder, IsEmptyWithoutAHomeFolder) {
  Variable state("XDG_STATE_HOME", "");
  Variable home("HOME", "");
  EXPECT_EQ(xdgProgramFolder("XDG_STATE_HOME", ".local/state"), "");
}

}  // namespace
