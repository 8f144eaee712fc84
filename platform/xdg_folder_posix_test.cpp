#include "platform/xdg_folder_posix.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace {

TEST(XdgFolder, AnAbsoluteValueElseTheFolderUnderHome) {
  setenv("HOME", "/home/crew", 1);
  setenv("XDG_TEST_HOME", "/srv/state", 1);
  EXPECT_EQ(xdgFolder("XDG_TEST_HOME", ".local/state"), "/srv/state");
  // A relative value would make the working folder decide: it is ignored.
  setenv("XDG_TEST_HOME", "state", 1);
  EXPECT_EQ(xdgFolder("XDG_TEST_HOME", ".local/state"), "/home/crew/.local/state");
  unsetenv("XDG_TEST_HOME");
  EXPECT_EQ(xdgFolder("XDG_TEST_HOME", ".config"), "/home/crew/.config");
  setenv("HOME", "", 1);
  EXPECT_EQ(xdgFolder("XDG_TEST_HOME", ".config"), "");
}

}  // namespace
