// Once an interrupt is taken the printer is neither opened nor written any more: the run ends
// with it, and no further part of the form reaches the device.

// First, before windows.h, whose function OpenFile would hide the stream's struct of that name.
// clang-format off
#include "printer/printer_stream.h"
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/interrupt.h"
#include "platform/interrupt_win32_test_support.h"

namespace {

std::string contentsOf(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(PrinterStreamDeathTest, NothingReachesThePrinterOnceAnInterruptIsTaken) {
  const std::filesystem::path device =
      std::filesystem::temp_directory_path() / "timetable_interrupted_device.prn";
  std::filesystem::remove(device);
  EXPECT_EXIT(
      {
        startInterruptHandling();
        PrinterStream printer =
            openPrinterStream(DeviceDestination{device.string(), "", nullptr}, "form");
        writeToPrinter(printer, L"head\n");
        interruptWithSlowCleanup();
        writeToPrinter(printer, L"rows\n");
        std::exit(1);
      },
      testing::ExitedWithCode(130), "");
  EXPECT_EQ(contentsOf(device), "head\r\n");
  std::filesystem::remove(device);

  EXPECT_EXIT(
      {
        startInterruptHandling();
        interruptWithSlowCleanup();
        openPrinterStream(DeviceDestination{device.string(), "", nullptr}, "form");
        std::exit(1);
      },
      testing::ExitedWithCode(130), "");
  EXPECT_FALSE(std::filesystem::exists(device));
}

}  // namespace
