#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string usageErrorOf(const std::vector<std::string>& arguments) {
  CommandLine line;
  return parseCommandLine(arguments, line);
}

TEST(CommandLine, OptionsAreTakenInAnyOrderAndEveryParseStartsAfresh) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--output=form.pdf"}, line), "");
  EXPECT_EQ(line.output, "form.pdf");
  line = CommandLine();
  EXPECT_EQ(parseCommandLine({"-p", "Biuro A", "-h"}, line), "");
  EXPECT_EQ(line.printer, "Biuro A");
  EXPECT_TRUE(line.help);
  EXPECT_TRUE(line.output.empty());
}

// The Start-menu entries pass --start-menu beside their own options; users never type it.
TEST(CommandLine, TheStartMenuOptionGoesWithAnyOtherAndIsNotInTheHelp) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--drawn", "--start-menu"}, line), "");
  EXPECT_TRUE(line.startMenu);
  EXPECT_TRUE(line.drawn);
  EXPECT_EQ(usageText().find("start-menu"), std::string::npos);
}

TEST(CommandLine, ReprintTakesTheNumberOfAKeptFormAndADestination) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--reprint", "-o", "b.prn"}, line), "");
  EXPECT_TRUE(line.reprint);
  EXPECT_EQ(line.reprintNumber, 1);
  EXPECT_EQ(line.output, "b.prn");
  line = CommandLine();
  EXPECT_EQ(parseCommandLine({"--reprint", "3", "--drawn", "--start-menu"}, line), "");
  EXPECT_EQ(line.reprintNumber, 3);
  EXPECT_TRUE(line.drawn);
  line = CommandLine();
  EXPECT_EQ(parseCommandLine({"--reprint", "--list"}, line), "");
  EXPECT_TRUE(line.list);
  EXPECT_EQ(usageErrorOf({"--reprint", "0"}),
            "\"0\" is not the number of a kept form, such as 1 for the last one");
  EXPECT_EQ(usageErrorOf({"--reprint", "12"}),
            "\"12\" is not the number of a kept form, such as 1 for the last one");
  EXPECT_EQ(usageErrorOf({"--reprint", "1", "2"}), "unexpected argument \"1\"");
  EXPECT_EQ(usageErrorOf({"--list"}), "the option --list needs --reprint");
  EXPECT_EQ(usageErrorOf({"--reprint", "--list", "-o", "a.prn"}),
            "the option --list cannot be used with -o, --printer, --drawn or --view");
  EXPECT_EQ(usageErrorOf({"--reprint", "--check"}),
            "the option --reprint cannot be used with --check, --settings, --list-printers or "
            "--service");
  EXPECT_EQ(usageErrorOf({"--reprint", "--service", "x"}),
            "the option --reprint cannot be used with --check, --settings, --list-printers or "
            "--service");
}

TEST(CommandLine, AWordAtFaultIsNamedAsTyped) {
  EXPECT_EQ(usageErrorOf({"-hx"}), "unknown option -x");
  EXPECT_EQ(usageErrorOf({"-xh"}), "unknown option -x");
  EXPECT_EQ(usageErrorOf({"--outptu", "a"}), "unknown option --outptu");
  EXPECT_EQ(usageErrorOf({"--help=yes"}), "the option --help takes no argument");
  EXPECT_EQ(usageErrorOf({"-o"}), "the option -o needs an argument");
  EXPECT_EQ(usageErrorOf({"--printer"}), "the option --printer needs an argument");
  EXPECT_EQ(usageErrorOf({"-o", ""}), "the option -o needs a file name");
  EXPECT_EQ(usageErrorOf({"5410"}), "unexpected argument \"5410\"");
}

TEST(CommandLine, DestinationsThatExcludeEachOther) {
  EXPECT_EQ(usageErrorOf({"-o", "a.pdf", "-p", "office"}),
            "the options -o and --printer cannot be used together");
  const std::string listing =
      "the option --list-printers cannot be used with -o, --printer, --drawn or --view";
  EXPECT_EQ(usageErrorOf({"--list-printers", "-o", "a.pdf"}), listing);
  EXPECT_EQ(usageErrorOf({"-p", "office", "--list-printers"}), listing);
  EXPECT_EQ(usageErrorOf({"-o", "a.pdf", "--drawn"}),
            "the options -o and --drawn cannot be used together");
  EXPECT_EQ(usageErrorOf({"--view", "--drawn"}),
            "the option --view cannot be used with --printer or --drawn");
  EXPECT_EQ(usageErrorOf({"--drawn", "-p", "office"}), "");
  EXPECT_EQ(usageErrorOf({"-o", "a.pdf", "--view"}), "");
}

TEST(CommandLine, CheckTakesTheDestinationOfARunAndNothingElse) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--check", "--drawn", "-p", "office", "--service", "host"}, line),
            "");
  EXPECT_TRUE(line.check);
  EXPECT_EQ(line.printer, "office");
  const std::string alone =
      "the option --check cannot be used with --view, --list-printers or --settings";
  EXPECT_EQ(usageErrorOf({"--check", "--settings"}), alone);
  EXPECT_EQ(usageErrorOf({"--list-printers", "--check"}), alone);
  EXPECT_EQ(usageErrorOf({"--check", "-o", "a.pdf", "--view"}), alone);
  EXPECT_EQ(usageErrorOf({"--check", "-o", "a.pdf", "-p", "office"}),
            "the options -o and --printer cannot be used together");
}

TEST(CommandLine, PrefetchTakesTrainNumbersAndNoDestination) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine({"--prefetch", "5410", "38170"}, line), "");
  EXPECT_TRUE(line.prefetch);
  EXPECT_EQ(line.trains, (std::vector<std::string>{"5410", "38170"}));
  line = CommandLine();
  EXPECT_EQ(parseCommandLine({"--prefetch", "--service", "h:1"}, line), "");
  EXPECT_TRUE(line.trains.empty());
  EXPECT_NE(usageErrorOf({"--prefetch", "54x"}), "");
  EXPECT_NE(usageErrorOf({"5410"}), "");
  for (const char* other :
       {"--reprint", "--check", "--settings", "--list-printers", "--drawn", "--view"}) {
    EXPECT_NE(usageErrorOf({"--prefetch", other}), "") << other;
  }
  EXPECT_NE(usageErrorOf({"--prefetch", "-o", "a.prn"}), "");
}

}  // namespace
