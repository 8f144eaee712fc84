// What a job handed to Windows' spooler says, from the status bits of its printer and of itself.
// Wine's spooler hands its jobs to CUPS at once and keeps no status of its printers, so the
// states are given here as Windows' spooler reports them.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include "printer/spooler_windows.h"

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

}  // namespace
