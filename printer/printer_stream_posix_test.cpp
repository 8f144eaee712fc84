#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <variant>

#include "platform/scratch_folder_test_support.h"
#include "printer/printer_stream.h"

namespace {

namespace fs = std::filesystem;

using PrinterStreamTest = ScratchFolder;

PrinterStream openLpt1() {
  return openPrinterStream(DeviceDestination{kPrinterDevice, "", nullptr}, "test");
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
    openPrinterStream(chooseDestination({}), "test");
    FAIL() << "opened a directory as the printer";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "cannot open the printer LPT1 (" +
                                             std::string(std::strerror(EISDIR)) +
                                             "); check that it is connected and switched on");
  }
}

TEST_F(PrinterStreamTest, AWriteErrorIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  fs::create_symlink("/dev/full", "LPT1");
  PrinterStream stream = openLpt1();
  EXPECT_THROW(writeToPrinter(stream, L"form"), std::runtime_error);
}

// Without options the printer is LPT1, and its errors carry the caller's advice: a plain file
// there (or none yet) is put in place complete; anything else is opened as a device.
TEST_F(PrinterStreamTest, Lpt1IsAFilePutInPlaceWhenItIsAPlainFileOrNothing) {
  DestinationRequest request;
  request.printerDeviceAdvice = "advice {0} ({1})";
  const Destination none = chooseDestination(request);
  ASSERT_TRUE(std::holds_alternative<BytesFileDestination>(none));
  EXPECT_EQ(std::get<BytesFileDestination>(none).path, "LPT1");
  EXPECT_EQ(std::get<BytesFileDestination>(none).advice, "advice {0} ({1})");
  std::ofstream("LPT1") << "an earlier form";
  EXPECT_TRUE(std::holds_alternative<BytesFileDestination>(chooseDestination({})));
  std::filesystem::remove("LPT1");
  std::filesystem::create_directory("LPT1");
  const Destination folder = chooseDestination(request);
  ASSERT_TRUE(std::holds_alternative<DeviceDestination>(folder));
  EXPECT_EQ(deviceOpenError(std::get<DeviceDestination>(folder), "why").what(),
            std::string("advice LPT1 (why)"));
  EXPECT_EQ(deviceOpenError(DeviceDestination{"PRN", "", nullptr}, "why").what(),
            std::string("cannot open the printer PRN (why); check that it is connected and "
                        "switched on"));
}

void print(const Destination& destination, const std::wstring& text) {
  PrinterStream stream = openPrinterStream(destination, "test");
  writeToPrinter(stream, text);
  closePrinterStream(stream);
}

// /dev/stdout and its kin are written where the descriptor points, from where it stands; a link
// is replaced at its target's place and stays a link.
TEST_F(PrinterStreamTest, ADescriptorsPathIsWrittenDirectlyAndALinkStaysALink) {
  std::FILE* out = std::fopen("out.txt", "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("dialogue\n", out);
  std::fflush(out);
  const Destination descriptor = chooseDestination(
      {"/dev/fd/" + std::to_string(fileno(out)), "", false, false, false, "", "", ""});
  ASSERT_TRUE(std::holds_alternative<DeviceDestination>(descriptor));
  print(descriptor, L"form\n");
  std::fclose(out);
  EXPECT_EQ(contentsOf("out.txt"), "dialogue\nform\r\n");

  std::ofstream("target.prn") << "an earlier form";
  fs::create_symlink("target.prn", "link.prn");
  Destination linked = chooseDestination({"link.prn", "", false, false, false, "", "", ""});
  prepareDestination(linked);
  print(linked, L"form\n");
  EXPECT_TRUE(fs::is_symlink("link.prn"));
  EXPECT_EQ(contentsOf("target.prn"), "form\r\n");
  EXPECT_EQ(entriesHere(), 3);
}

// What a run could not print to is refused before the dialogue, and by --check as well: standard
// input, and a descriptor open for reading only.
TEST_F(PrinterStreamTest, StandardInputAndADescriptorOpenForReadingAreRefused) {
  Destination input = chooseDestination({"/dev/stdin", "", false, false, false, "", "", ""});
  ASSERT_TRUE(std::holds_alternative<DeviceDestination>(input));
  EXPECT_THROW(prepareDestination(input), std::runtime_error);
  std::ofstream("in.txt") << "typed";
  std::FILE* in = std::fopen("in.txt", "rb");
  ASSERT_NE(in, nullptr);
  Destination reading = chooseDestination(
      {"/dev/fd/" + std::to_string(fileno(in)), "", false, false, false, "", "", ""});
  EXPECT_THROW(prepareDestination(reading), std::runtime_error);
  std::fclose(in);
}

}  // namespace
