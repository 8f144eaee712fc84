#ifndef TIMETABLE_DRIVER_RUN_EVENT_H_
#define TIMETABLE_DRIVER_RUN_EVENT_H_

#include <cstdint>
#include <string>

#include "driver/invocation_plan.h"
#include "platform/system_log.h"
#include "printer/destination.h"
#include "service/request_failure.h"

// Every invocation that does work (a run, a reprint, a check) leaves one event in the system's
// log when it ends, for a help desk that sees no user's screen: its outcome, the failure's kind,
// the train, the destination's kind, the exit status and the version, in English with stable
// keys whatever the user's language. --help, --version, --settings, --list-printers, --reprint
// --list and a command line that cannot be read leave none. The event never changes the run:
// it is sent without waiting, and a log that cannot take it is only noted in the support log.

enum class RunMode { kOther, kRun, kReprint, kCheck, kPrefetch };

enum class RunOutcome {
  kPrinted,
  kPrintedIncomplete,
  kReprinted,
  kFailed,
  kInterrupted,
  kCheckPassed,
  kCheckFailed,
  kPrefetched,
};

// What the invocation did, gathered as it goes.
struct RunRecord {
  RunMode mode = RunMode::kOther;
  bool eventsOn = true;     // The setting events.
  std::string train;        // The train number, once it was checked as one.
  std::string destination;  // The destination's kind (destinationKindName).
  std::string failure;      // The failure's kind; empty when it is not known.
  bool incomplete = false;  // The form printed lacks rows.
  std::string copy;         // When the form came from a copy: the copy's fetch time, UTC.
};

// The mode of an invocation that leaves an event; kOther for one that leaves none.
RunMode runModeOf(InvocationMode mode);

// The kind of a destination as the event names it: "device", "file", "drawn-file", "screen",
// "spooler", "drawn-printer".
const char* destinationKindName(const Destination& destination);

// The outcome of an invocation of the mode that ended with the exit status.
RunOutcome runOutcomeOf(const RunRecord& record, int exitStatus, bool interrupted);

// The outcome's stable name: "printed", "printed-incomplete", "reprinted", "failed",
// "interrupted", "check-passed", "check-failed", "prefetched".
const char* runOutcomeName(RunOutcome outcome);

// The event of an invocation that ended with the exit status, having shown warnings (which make
// a success a warning).
SystemLogEvent runEventOf(const RunRecord& record, int exitStatus, bool interrupted, int warnings);

// The invocation's record, kept until it ends; an interrupt, which ends the program on a thread
// of its own, writes the event with the facts noted so far.
void startRunEvent(InvocationMode mode);
// Whether the invocation writes its event, as the setting events says: on (the default, and an
// empty value) or off. A value that is neither is marked wrong in --settings and leaves them on.
bool eventsAreOn(Setting& events);
void noteEventsOn(bool on);
void noteEventTrain(const std::string& trainNumber);
void noteEventDestination(const Destination& destination);
void noteEventFailure(FailureKind kind);
void noteEventIncompleteForm();
// The form came from a copy of the timetable fetched then (seconds since 1970, UTC).
void noteEventCopy(int64_t fetchedAt);
// Sends the event of the invocation that ends with the exit status; the one place a run ends.
void endRunEvent(int exitStatus);

#endif  // TIMETABLE_DRIVER_RUN_EVENT_H_
