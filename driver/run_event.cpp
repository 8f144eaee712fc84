#include "driver/run_event.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <variant>

#include "driver/timetable_copy.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "platform/overloaded.h"
#include "platform/support_log.h"
#include "platform/text_case.h"
#include "platform/translation.h"

namespace {

// One row per outcome: its name, its number in the Windows log (the exe's message table,
// packaging/windows/events.mc, has the same numbers), journald's MESSAGE_ID, and its level.
struct OutcomeEntry {
  RunOutcome outcome;
  const char* name;
  unsigned eventId;
  const char* messageId;
  EventLevel level;
};

const OutcomeEntry kOutcomes[] = {
    {RunOutcome::kPrinted, "printed", 1, "44b6c98e9a484762a39cbaed077da1c1",
     EventLevel::kInformation},
    {RunOutcome::kPrintedIncomplete, "printed-incomplete", 2, "1bb9829618064313a05fad65f136e1d8",
     EventLevel::kWarning},
    {RunOutcome::kReprinted, "reprinted", 3, "f34721520baf4214a3289322aad64e77",
     EventLevel::kInformation},
    {RunOutcome::kFailed, "failed", 4, "af020212b24246819eb888ebdd9bc5e3", EventLevel::kError},
    {RunOutcome::kInterrupted, "interrupted", 5, "56a9beedb34541eda1dcda41a9765417",
     EventLevel::kWarning},
    {RunOutcome::kCheckPassed, "check-passed", 6, "041c3a4458884c52a8aa3cf570b55f67",
     EventLevel::kInformation},
    {RunOutcome::kCheckFailed, "check-failed", 7, "8bb5cf94bfc54c2e9cca894613154ba2",
     EventLevel::kError},
    {RunOutcome::kPrefetched, "prefetched", 8, "964aabca1a314bbdb344314151e5f563",
     EventLevel::kInformation},
};

const OutcomeEntry& entryOf(RunOutcome outcome) {
  for (const OutcomeEntry& entry : kOutcomes) {
    if (entry.outcome == outcome) return entry;
  }
  return kOutcomes[3];
}

// The failure's kind of a failure that no request to the service names: the command line, or a
// policy, refused it (exit status 2), or something of this computer's (the printer, a file, a
// setting, the typed train number).
const char kUsageFailure[] = "usage";
const char kLocalFailure[] = "local";

const int kUsageStatus = 2;

const char kEventsOff[] = "off";
const char kEventsOn[] = "on";

// The invocation's record. The interrupt thread reads it while it holds interrupts off, so each
// note is written while they are held.
RunRecord& theRecord() {
  static RunRecord* const instance = new RunRecord;  // Never destroyed: see interrupt.h.
  return *instance;
}

bool eventSent = false;

void sendRunEvent(int exitStatus, bool interrupted) {
  const RunRecord& facts = theRecord();
  if (facts.mode == RunMode::kOther || eventSent) return;
  eventSent = true;
  if (!facts.eventsOn) return;
  const std::string reason =
      sendSystemLogEvent(runEventOf(facts, exitStatus, interrupted, warningsShown()));
  if (!reason.empty()) logLine("the run's event could not be sent to the system's log: " + reason);
}

void note(const std::function<void(RunRecord&)>& change) {
  holdInterrupts([&change] { change(theRecord()); });
}

}  // namespace

RunMode runModeOf(InvocationMode mode) {
  switch (mode) {
    case InvocationMode::kRun:
      return RunMode::kRun;
    case InvocationMode::kReprint:
      return RunMode::kReprint;
    case InvocationMode::kCheck:
      return RunMode::kCheck;
    case InvocationMode::kPrefetch:
      return RunMode::kPrefetch;
    case InvocationMode::kHelp:
    case InvocationMode::kVersion:
    case InvocationMode::kListPrinters:
    case InvocationMode::kSettings:
    case InvocationMode::kListKeptForms:
      break;
  }
  return RunMode::kOther;
}

const char* destinationKindName(const Destination& destination) {
  return std::visit(Overloaded{[](const DeviceDestination&) { return "device"; },
                               [](const BytesFileDestination&) { return "file"; },
                               [](const RenderedFileDestination& file) {
                                 return file.path.empty() ? "screen" : "drawn-file";
                               },
                               [](const SpoolDestination&) { return "spooler"; },
                               [](const DrawnDestination&) { return "drawn-printer"; }},
                    destination);
}

RunOutcome runOutcomeOf(const RunRecord& record, int exitStatus, bool interrupted) {
  if (interrupted) return RunOutcome::kInterrupted;
  if (record.mode == RunMode::kCheck) {
    return exitStatus == 0 ? RunOutcome::kCheckPassed : RunOutcome::kCheckFailed;
  }
  if (exitStatus != 0) return RunOutcome::kFailed;
  if (record.mode == RunMode::kReprint) return RunOutcome::kReprinted;
  if (record.mode == RunMode::kPrefetch) return RunOutcome::kPrefetched;
  return record.incomplete ? RunOutcome::kPrintedIncomplete : RunOutcome::kPrinted;
}

const char* runOutcomeName(RunOutcome outcome) { return entryOf(outcome).name; }

SystemLogEvent runEventOf(const RunRecord& record, int exitStatus, bool interrupted, int warnings) {
  const RunOutcome outcome = runOutcomeOf(record, exitStatus, interrupted);
  const OutcomeEntry& entry = entryOf(outcome);
  std::string failure = record.failure;
  if (failure.empty() && !interrupted && exitStatus != 0) {
    failure = exitStatus == kUsageStatus ? kUsageFailure : kLocalFailure;
  }
  const std::string version = TIMETABLE_VERSION;
  SystemLogEvent event;
  event.id = entry.eventId;
  event.messageId = entry.messageId;
  event.level =
      entry.level == EventLevel::kInformation && warnings > 0 ? EventLevel::kWarning : entry.level;
  // The Windows message shows the strings in this order, as %1 to %7.
  event.fields = {{"TIMETABLE_OUTCOME", entry.name},
                  {"TIMETABLE_FAILURE", failure},
                  {"TIMETABLE_TRAIN", record.train},
                  {"TIMETABLE_DESTINATION", record.destination},
                  {"TIMETABLE_EXIT", std::to_string(exitStatus)},
                  {"TIMETABLE_VERSION", version},
                  {"TIMETABLE_COPY", record.copy}};
  // The same facts as one line, for syslog and journalctl's short view.
  event.message = "timetable-print " + std::string(entry.name) + ":";
  const std::string prefix = "TIMETABLE_";
  for (const auto& field : event.fields) {
    if (field.second.empty()) continue;
    const std::string key = lowerCase(field.first.substr(prefix.size()));
    event.message +=
        " " + key + "=" +
        (field.second.find(' ') == std::string::npos ? field.second : "\"" + field.second + "\"");
  }
  return event;
}

void startRunEvent(InvocationMode mode) {
  note([mode](RunRecord& facts) { facts.mode = runModeOf(mode); });
  // The oldest cleanup runs last: after what the interrupt undoes.
  addInterruptCleanup([] { sendRunEvent(interruptExitStatus(), true); });
}

bool eventsAreOn(Setting& events) {
  const bool off = sameIgnoringCase(events.value, kEventsOff);
  if (!off && !events.value.empty() && !sameIgnoringCase(events.value, kEventsOn)) {
    events.problem = translate("is not on or off");
  }
  return !off;
}

void noteEventsOn(bool on) {
  note([on](RunRecord& facts) { facts.eventsOn = on; });
}

void noteEventTrain(const std::string& trainNumber) {
  note([&trainNumber](RunRecord& facts) { facts.train = trainNumber; });
}

void noteEventDestination(const Destination& destination) {
  const char* kind = destinationKindName(destination);
  note([kind](RunRecord& facts) { facts.destination = kind; });
}

void noteEventFailure(FailureKind kind) {
  note([kind](RunRecord& facts) { facts.failure = failureKindName(kind); });
}

void noteEventCopy(int64_t fetchedAt) {
  // One word, as the other fields are: 2026-12-10T04:10Z.
  std::string time = utcTimeOf(fetchedAt);
  std::replace(time.begin(), time.end(), ' ', 'T');
  time += "Z";
  note([&time](RunRecord& facts) { facts.copy = time; });
}

void noteEventIncompleteForm() {
  note([](RunRecord& facts) { facts.incomplete = true; });
}

void endRunEvent(int exitStatus) {
  holdInterrupts([exitStatus] { sendRunEvent(exitStatus, false); });
}
