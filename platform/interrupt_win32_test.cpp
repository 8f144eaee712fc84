// A Ctrl+C at a console's prompt ends the console's read, and Windows then calls the control
// handler on a thread of its own. Wine gives the tests no console, so Windows' part is played
// here: the handler runs on a thread while a prompt's read finds the end of its input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/interrupt_win32_test_support.h"

namespace {

TEST(InterruptDeathTest, AnInterruptAtAPromptEndsTheRunThereWith130) {
  EXPECT_EXIT(
      {
        startInterruptHandling();
        std::istringstream endOfInput;
        std::cin.rdbuf(endOfInput.rdbuf());
        interruptWithSlowCleanup();
        readWord();
        std::exit(1);  // The run went on past the prompt with an empty answer.
      },
      testing::ExitedWithCode(130), "");
}

}  // namespace
