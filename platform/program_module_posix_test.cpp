#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/file_system.h"
#include "platform/program_module.h"
#include "platform/translation.h"

namespace {

// A module that is not beside the program is looked for in the program's installed library
// folder, and the error names the file there by its whole path.
TEST(ProgramModule, AMissingModuleIsAnErrorNamingItsFile) {
  const std::string folder = folderOf(programPath());
  ASSERT_FALSE(folder.empty());
  try {
    programModuleEntry("timetable-none.so", "entry");
    FAIL() << "a missing module was loaded";
  } catch (const std::runtime_error& failure) {
    const std::string what = failure.what();
    const size_t at = what.find(folder);
    ASSERT_NE(at, std::string::npos) << what;
    const size_t name = what.find("/timetable-none.so", at);
    ASSERT_NE(name, std::string::npos) << what;
    EXPECT_EQ(what.substr(at, name - at).find(' '), std::string::npos) << what;
  }
}

}  // namespace
