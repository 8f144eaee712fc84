#include "printer/spooler_common.h"

#include <gtest/gtest.h>

namespace {

TEST(PrinterList, MarksTheDefaultAndKeepsEscapesInNamesFromTheTerminal) {
  // A name that would set the terminal's title, and one that would break the listing's line.
  const std::vector<SpoolPrinter> printers = {
      {"Office\x1b]0;owned\x07", false}, {"dot\nmatrix", true}, {"\xE2\x80\xAEtxt.exe", false}};
  EXPECT_EQ(printerListText(printers), "Office ]0;owned \ndot matrix (default)\n txt.exe\n");
}

}  // namespace
