#include "driver/exit_status.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(ExitStatus, TheStatusesScriptsRead) {
  EXPECT_EQ(kExitDone, 0);
  EXPECT_EQ(kExitFailed, 1);
  EXPECT_EQ(kExitUsage, 2);
}

TEST(ExitStatus, AnAnswerThatCannotBeWrittenFailsTheModeButTheDialogueDoesNot) {
  EXPECT_FALSE(outputIsTheAnswer(InvocationMode::kRun));
  EXPECT_FALSE(outputIsTheAnswer(InvocationMode::kReprint));
  for (InvocationMode mode :
       {InvocationMode::kHelp, InvocationMode::kVersion, InvocationMode::kListPrinters,
        InvocationMode::kCheck, InvocationMode::kSettings, InvocationMode::kListKeptForms}) {
    EXPECT_TRUE(outputIsTheAnswer(mode));
  }
  EXPECT_EQ(statusOfAnswer(kExitDone, 0), kExitDone);
  EXPECT_EQ(statusOfAnswer(kExitDone, EBADF), kExitFailed);
  EXPECT_EQ(statusOfAnswer(kExitFailed, 0), kExitFailed);
}
