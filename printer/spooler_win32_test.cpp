// What a job handed to Windows' spooler says, from the status bits of its printer and of itself.
// Wine's spooler hands its jobs to CUPS at once and keeps no status of its printers, so the
// states are given here as Windows' spooler reports them.
#include "printer/spooler_win32.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

TEST(SpoolStateWarning, AJobThatPrintsOrWaitsItsTurnSaysNothing) {
  EXPECT_EQ(spoolStateWarning("Office", 12, 0, 0), "");
  EXPECT_EQ(spoolStateWarning("Office", 12, PRINTER_STATUS_PRINTING | PRINTER_STATUS_BUSY,
                              JOB_STATUS_SPOOLING | JOB_STATUS_PRINTING),
            "");
  EXPECT_EQ(
      spoolStateWarning("Office", 12, PRINTER_STATUS_TONER_LOW | PRINTER_STATUS_POWER_SAVE, 0), "");
  // Printed before the printer went offline, or deleted once printed.
  EXPECT_EQ(spoolStateWarning("Office", 12, PRINTER_STATUS_OFFLINE, JOB_STATUS_PRINTED), "");
  EXPECT_EQ(spoolStateWarning("Office", 12, 0, JOB_STATUS_COMPLETE | JOB_STATUS_DELETING), "");
}

TEST(SpoolStateWarning, AStoppedPrinterIsNamedWithItsStates) {
  const struct {
    DWORD printer;
    DWORD job;
    const char* state;
  } cases[] = {
      {PRINTER_STATUS_OFFLINE, 0, "is offline"},
      {PRINTER_STATUS_PAUSED, 0, "is paused"},
      {PRINTER_STATUS_PAPER_OUT, 0, "is out of paper"},
      {PRINTER_STATUS_ERROR, 0, "is in error"},
      // The job's own bits for its printer's state, said once.
      {0, JOB_STATUS_OFFLINE, "is offline"},
      {PRINTER_STATUS_PAPER_OUT, JOB_STATUS_PAPEROUT, "is out of paper"},
      {PRINTER_STATUS_OFFLINE | PRINTER_STATUS_PAUSED | PRINTER_STATUS_ERROR, 0,
       "is offline, is paused and is in error"},
  };
  for (const auto& state : cases) {
    EXPECT_EQ(spoolStateWarning("Office", 12, state.printer, state.job),
              std::string("the form waits in the queue of Office, which ") + state.state +
                  "; it prints once the printer is ready: print job Office-12");
  }
}

TEST(SpoolStateWarning, AStoppedOrDeletedJobIsNamed) {
  EXPECT_EQ(spoolStateWarning("Office", 7, 0, JOB_STATUS_PAUSED | JOB_STATUS_SPOOLING),
            "the form waits in the queue of Office, where its job is paused; it prints once the "
            "job is resumed or restarted in the queue: print job Office-7");
  EXPECT_EQ(spoolStateWarning("Office", 7, PRINTER_STATUS_PAPER_OUT, JOB_STATUS_ERROR),
            "the form waits in the queue of Office, which is out of paper, and its job is in "
            "error; it prints once the printer is ready and the job is resumed or restarted: "
            "print job Office-7");
  EXPECT_EQ(spoolStateWarning("Office", 7, PRINTER_STATUS_OFFLINE, JOB_STATUS_DELETING),
            "the form was deleted from the queue of Office before it printed; print it again: "
            "print job Office-7");
}

// The states one after the other, one per look, the last one again and again; looks counts them.
QueueReader statesOverTime(std::vector<QueueState> states, int& looks) {
  return [states, &looks] {
    return states[std::min(static_cast<size_t>(looks++), states.size() - 1)];
  };
}

TEST(JobWatch, LooksUntilTheJobIsGoneOrStoppedOrTheWatchEnds) {
  using std::chrono::milliseconds;
  const milliseconds longWatch(60000);
  const milliseconds quickPoll(1);
  int looks = 0;
  // Queued, printing, then gone from a ready printer's queue: printed, nothing to say.
  EXPECT_EQ(watchQueueStates("Office", 12,
                             statesOverTime({{0, true, JOB_STATUS_SPOOLING},
                                             {PRINTER_STATUS_PRINTING, true, JOB_STATUS_PRINTING},
                                             {0, false, 0}},
                                            looks),
                             longWatch, quickPoll),
            "");
  EXPECT_EQ(looks, 3);
  // Gone from the queue of a printer that then stops: the printer holds the form.
  looks = 0;
  const std::string stopped = watchQueueStates(
      "Office", 12,
      statesOverTime({{0, true, JOB_STATUS_PRINTING}, {PRINTER_STATUS_OFFLINE, false, 0}}, looks),
      longWatch, quickPoll);
  EXPECT_NE(stopped.find("the form waits in the queue of Office, which is offline"),
            std::string::npos)
      << stopped;
  EXPECT_EQ(looks, 2);
  // Waiting its turn on a ready printer: the watch ends at its deadline, looking every poll.
  looks = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(watchQueueStates("Office", 12, statesOverTime({{0, true, JOB_STATUS_SPOOLING}}, looks),
                             milliseconds(200), milliseconds(20)),
            "");
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(200));
  EXPECT_GE(looks, 2);
  EXPECT_LE(looks, 11);
}

}  // namespace
