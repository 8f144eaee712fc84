#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/file_system.h"
#include "platform/program_module.h"
#include "platform/translation.h"

namespace {

// A module that is not beside the program is looked for in the program's installed library
// folder, and the error names the file there by its whole path, as the user would write it.
TEST(ProgramModule, AMissingModuleIsAnErrorNamingItsFile) {
  ASSERT_FALSE(folderOf(programPath()).empty());
  try {
    programModuleEntry("timetable-none.so", "entry");
    FAIL() << "a missing module was loaded";
  } catch (const std::runtime_error& failure) {
    const std::string what = failure.what();
    const size_t name = what.find("/timetable-none.so");
    ASSERT_NE(name, std::string::npos) << what;
    const size_t start = what.rfind(' ', name) + 1;
    const std::string path = what.substr(start, name + 18 - start);
    EXPECT_EQ(path.front(), '/') << what;
    EXPECT_EQ(path.find("/../"), std::string::npos) << what;
    // The loader's reason follows, without the path a second time.
    EXPECT_EQ(what.find("timetable-none.so", name + 18), std::string::npos) << what;
  }
}

}  // namespace
