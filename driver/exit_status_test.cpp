#include "driver/exit_status.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(ExitStatus, TheStatusesScriptsRead) {
  EXPECT_EQ(kExitDone, 0);
  EXPECT_EQ(kExitFailed, 1);
  EXPECT_EQ(kExitUsage, 2);
}

TEST(ExitStatus, AnAnswerThatCannotBeWrittenFailsTheModeButTheDialogueDoesNot) {
  CommandLine line;
  EXPECT_FALSE(outputIsTheAnswer(line));
  line.reprint = true;
  EXPECT_FALSE(outputIsTheAnswer(line));
  line.list = true;
  EXPECT_TRUE(outputIsTheAnswer(line));
  for (bool CommandLine::*mode :
       {&CommandLine::help, &CommandLine::version, &CommandLine::listPrinters, &CommandLine::check,
        &CommandLine::settings}) {
    CommandLine answering;
    answering.*mode = true;
    EXPECT_TRUE(outputIsTheAnswer(answering));
  }
  EXPECT_EQ(statusOfAnswer(kExitDone, 0), kExitDone);
  EXPECT_EQ(statusOfAnswer(kExitDone, EBADF), kExitFailed);
  EXPECT_EQ(statusOfAnswer(kExitFailed, 0), kExitFailed);
}
