// Where the printer is the path LPT1 in the working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "printer/file_system.h"
#include "printer/output_file.h"
#include "printer/printer_stream.h"

namespace {

namespace fs = std::filesystem;

// Runs each case in a folder of its own, since the printer is a path in the working directory.
class PrinterFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              ("printer_stream_test_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }
  fs::path previous_;
  fs::path folder_;
};

TEST_F(PrinterFolder, WritesTheBytesToLpt1) {
  PrinterStream stream = openPrinterStream();
  writeToPrinter(stream,
                 L"\x1b"
                 L"E\xC4\n");
  writeToPrinter(stream, L"\x0C");
  closePrinterStream(stream);
  std::ifstream file("LPT1", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes,
            "\x1b"
            "E\xC4\r\n\x0C");
}

TEST_F(PrinterFolder, ADeviceThatCannotBeOpenedIsNamed) {
  fs::create_directory("LPT1");
  try {
    openPrinterStream();
    FAIL() << "opened a directory as the printer";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              std::string("cannot open the printer LPT1: ") + std::strerror(EISDIR));
  }
}

TEST_F(PrinterFolder, AWriteErrorIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  fs::create_symlink("/dev/full", "LPT1");
  PrinterStream stream = openPrinterStream();
  EXPECT_THROW(writeToPrinter(stream, L"form"), std::runtime_error);
}

std::string contentsOf(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST_F(PrinterFolder, AFileIsReplacedOnlyWhenItsStreamIsClosed) {
  std::ofstream("form.prn") << "earlier";
  {
    PrinterStream unfinished = openPrinterFileStream("form.prn");
    writeToPrinter(unfinished, L"half\n");
    EXPECT_EQ(contentsOf("form.prn"), "earlier");
  }  // Dropped without closing, as when the run fails.
  EXPECT_EQ(contentsOf("form.prn"), "earlier");
  PrinterStream stream = openPrinterFileStream("form.prn");
  writeToPrinter(stream, L"whole\n");
  closePrinterStream(stream);
  EXPECT_EQ(contentsOf("form.prn"), "whole\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(PrinterFolder, DevicesAndPipesAreWrittenDirectly) {
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  std::ofstream("file") << "x";
  EXPECT_TRUE(isDeviceOrPipe("pipe"));
  EXPECT_TRUE(isDeviceOrPipe("/dev/null"));
  EXPECT_FALSE(isDeviceOrPipe("file"));
  EXPECT_FALSE(isDeviceOrPipe("missing"));
  EXPECT_FALSE(isDeviceOrPipe("."));
}

}  // namespace
