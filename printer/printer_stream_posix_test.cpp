#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/scratch_folder_test_support.h"
#include "printer/printer_stream.h"

namespace {

namespace fs = std::filesystem;

using PrinterStreamTest = ScratchFolder;

PrinterStream openLpt1() {
  return openPrinterStream(DeviceDestination{kPrinterDevice, ""}, "test");
}

TEST_F(PrinterStreamTest, WritesTheBytesToLpt1) {
  PrinterStream stream = openLpt1();
  writeToPrinter(stream,
                 L"\x1b"
                 L"E\xC4\n");
  writeToPrinter(stream, L"\x0C");
  EXPECT_TRUE(closePrinterStream(stream).warnings.empty());
  EXPECT_EQ(contentsOf("LPT1"),
            "\x1b"
            "E\xC4\r\n\x0C");
}

TEST_F(PrinterStreamTest, ADeviceThatCannotBeOpenedIsNamed) {
  fs::create_directory("LPT1");
  try {
    openLpt1();
    FAIL() << "opened a directory as the printer";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              std::string("cannot open the printer LPT1: ") + std::strerror(EISDIR));
  }
}

TEST_F(PrinterStreamTest, AWriteErrorIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  fs::create_symlink("/dev/full", "LPT1");
  PrinterStream stream = openLpt1();
  EXPECT_THROW(writeToPrinter(stream, L"form"), std::runtime_error);
}

}  // namespace
