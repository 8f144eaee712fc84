#ifndef TIMETABLE_PLATFORM_SCRATCH_FOLDER_TEST_SUPPORT_H_
#define TIMETABLE_PLATFORM_SCRATCH_FOLDER_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Runs each case in an empty folder of its own as the working directory, since the printer and
// the files are paths relative to it.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    const ::testing::UnitTest& test = *::testing::UnitTest::GetInstance();
    folder_ = std::filesystem::temp_directory_path() /
              ("timetable_test_" + std::to_string(test.random_seed()) +
               test.current_test_info()->test_suite_name() + test.current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

inline std::string contentsOf(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// How many entries the working directory holds.
inline long entriesHere() {
  return static_cast<long>(std::distance(std::filesystem::directory_iterator("."),
                                         std::filesystem::directory_iterator()));
}

#endif  // TIMETABLE_PLATFORM_SCRATCH_FOLDER_TEST_SUPPORT_H_
