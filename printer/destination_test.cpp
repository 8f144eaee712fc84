#include "printer/destination.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <variant>

#include "platform/file_system.h"
#include "platform/scratch_folder_test_support.h"

namespace {

using DestinationTest = ScratchFolder;

Destination chosenFor(const std::string& file, bool view = false) {
  return chooseDestination({file, std::string(), false, view, false, "", "", ""});
}

TEST_F(DestinationTest, AnOutputNameChoosesTheFormatOnceAndKeepsThePathAsGiven) {
  const auto pdf = std::get<RenderedFileDestination>(chosenFor("form-%d.PDF", true));
  EXPECT_EQ(pdf.path, "form-%d.PDF");
  EXPECT_EQ(pdf.format, RenderedFormat::kPdf);
  EXPECT_TRUE(pdf.view);
  EXPECT_EQ(std::get<RenderedFileDestination>(chosenFor("form.png")).format, RenderedFormat::kPng);
  EXPECT_EQ(std::get<RenderedFileDestination>(chosenFor("form.svg")).format, RenderedFormat::kSvg);
  const auto bytes = std::get<BytesFileDestination>(chosenFor("form.prn"));
  EXPECT_EQ(bytes.path, "form.prn");
  EXPECT_EQ(bytes.advice, "");  // A file the user named needs no way to another printer.
}

TEST_F(DestinationTest, ThePrinterChoicesAndTheScreen) {
  EXPECT_EQ(
      std::get<SpoolDestination>(chooseDestination({"", "Office", false, false, false, "", "", ""}))
          .printer,
      "Office");
  EXPECT_EQ(
      std::get<DrawnDestination>(chooseDestination({"", "Office", true, false, false, "", "", ""}))
          .printer,
      "Office");
  const auto screen = std::get<RenderedFileDestination>(
      chooseDestination({"", "", false, true, false, "", "", ""}));
  EXPECT_EQ(screen.path, "");
  EXPECT_EQ(screen.format, RenderedFormat::kPdf);
  EXPECT_FALSE(screen.screenFolder.empty());
}

TEST_F(DestinationTest, TheScreenFileIsNamedForTheDocumentAndMadeUnderANameNoOneCanPredict) {
  const std::string folder = (std::filesystem::current_path() / "").u8string();
  const std::string first = screenFilePath(folder, "timetable 5410");
  EXPECT_EQ(first.compare(0, folder.size() + 15, folder + "timetable-5410-"), 0) << first;
  EXPECT_EQ(first.substr(first.size() - 4), ".pdf");
  // Made already, and empty: a name planted a moment later cannot be the same.
  EXPECT_TRUE(std::filesystem::is_regular_file(first));
  EXPECT_EQ(std::filesystem::file_size(first), 0u);
  // The same document in the same second: the time alone does not name it.
  const std::string second = screenFilePath(folder, "timetable 5410");
  EXPECT_NE(second, first);
}

TEST(DestinationText, NamesEachKindOfDestinationOnce) {
  EXPECT_EQ(destinationText(DeviceDestination{"LPT1", "", nullptr}), "the printer LPT1");
  EXPECT_EQ(destinationText(BytesFileDestination{"form.prn", false, ""}),
            "the printer's bytes in the file " + fullPathOf("form.prn"));
  EXPECT_EQ(destinationText(RenderedFileDestination{"form.pdf", RenderedFormat::kPdf, false, ""}),
            "the drawn form in the file " + fullPathOf("form.pdf"));
  EXPECT_EQ(destinationText(RenderedFileDestination{"", RenderedFormat::kPdf, true, "/tmp"}),
            "the drawn form for the screen, in the folder /tmp");
  EXPECT_EQ(destinationText(RenderedFileDestination{"f-%d.png", RenderedFormat::kPng, false, ""}),
            "the drawn form in the files " + fullPathOf("f-1.png") + ", " + fullPathOf("f-2.png") +
                " and so on, one for each page");
  EXPECT_EQ(destinationText(SpoolDestination{"LQ", ""}), "a raw job on the printer \"LQ\"");
  EXPECT_EQ(destinationText(DrawnDestination{"Office", "", ""}),
            "drawn pages on the printer \"Office\"");
}

}  // namespace
