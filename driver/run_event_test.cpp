#include "driver/run_event.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

std::map<std::string, std::string> fieldsOf(const SystemLogEvent& event) {
  std::map<std::string, std::string> fields;
  for (const auto& field : event.fields) fields[field.first] = field.second;
  return fields;
}

RunRecord printedRun() {
  RunRecord record;
  record.mode = RunMode::kRun;
  record.train = "5410";
  record.destination = "device";
  return record;
}

TEST(RunEvent, APrintedFormIsInformationWithEveryField) {
  const SystemLogEvent event = runEventOf(printedRun(), 0, false, 0);
  EXPECT_EQ(event.id, 1u);
  EXPECT_EQ(event.level, EventLevel::kInformation);
  EXPECT_EQ(fieldsOf(event),
            (std::map<std::string, std::string>{{"TIMETABLE_OUTCOME", "printed"},
                                                {"TIMETABLE_FAILURE", ""},
                                                {"TIMETABLE_TRAIN", "5410"},
                                                {"TIMETABLE_DESTINATION", "device"},
                                                {"TIMETABLE_EXIT", "0"},
                                                {"TIMETABLE_VERSION", TIMETABLE_VERSION},
                                                {"TIMETABLE_COPY", ""}}));
  EXPECT_EQ(event.message, std::string("timetable-print printed: outcome=printed train=5410 "
                                       "destination=device exit=0 version=") +
                               TIMETABLE_VERSION);
}

TEST(RunEvent, TheWindowsStringsComeInTheMessageTablesOrder) {
  const SystemLogEvent event = runEventOf(printedRun(), 0, false, 0);
  ASSERT_EQ(event.fields.size(), 7u);
  EXPECT_EQ(event.fields[0].first, "TIMETABLE_OUTCOME");
  EXPECT_EQ(event.fields[1].first, "TIMETABLE_FAILURE");
  EXPECT_EQ(event.fields[2].first, "TIMETABLE_TRAIN");
  EXPECT_EQ(event.fields[3].first, "TIMETABLE_DESTINATION");
  EXPECT_EQ(event.fields[4].first, "TIMETABLE_EXIT");
  EXPECT_EQ(event.fields[5].first, "TIMETABLE_VERSION");
  EXPECT_EQ(event.fields[6].first, "TIMETABLE_COPY");
}

TEST(RunEvent, AFormFromACopySaysWhenTheCopyWasFetched) {
  RunRecord record = printedRun();
  record.copy = "2026-12-10T04:10Z";
  const SystemLogEvent event = runEventOf(record, 0, false, 1);
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_COPY"], record.copy);
  EXPECT_NE(event.message.find(" copy=" + record.copy), std::string::npos);
}

TEST(RunEvent, AWarningOrAMissingRowMakesAPrintedFormAWarning) {
  EXPECT_EQ(runEventOf(printedRun(), 0, false, 1).level, EventLevel::kWarning);
  EXPECT_EQ(fieldsOf(runEventOf(printedRun(), 0, false, 1))["TIMETABLE_OUTCOME"], "printed");
  RunRecord incomplete = printedRun();
  incomplete.incomplete = true;
  const SystemLogEvent event = runEventOf(incomplete, 0, false, 0);
  EXPECT_EQ(event.id, 2u);
  EXPECT_EQ(event.level, EventLevel::kWarning);
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_OUTCOME"], "printed-incomplete");
}

TEST(RunEvent, AFailureIsAnErrorNamingItsKind) {
  RunRecord record = printedRun();
  record.failure = failureKindName(FailureKind::kNotTrusted);
  const SystemLogEvent event = runEventOf(record, 1, false, 0);
  EXPECT_EQ(event.id, 4u);
  EXPECT_EQ(event.level, EventLevel::kError);
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_FAILURE"], failureKindName(FailureKind::kNotTrusted));
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_EXIT"], "1");
  EXPECT_NE(event.message.find(std::string(" failure=") +
                               failureKindName(FailureKind::kNotTrusted) + " "),
            std::string::npos);
}

TEST(RunEvent, AFailureNoRequestNamesIsTheCommandLinesOrThisComputers) {
  RunRecord record;
  record.mode = RunMode::kRun;
  EXPECT_EQ(fieldsOf(runEventOf(record, 2, false, 0))["TIMETABLE_FAILURE"], "usage");
  EXPECT_EQ(fieldsOf(runEventOf(record, 1, false, 0))["TIMETABLE_FAILURE"], "local");
  EXPECT_EQ(fieldsOf(runEventOf(record, 0, false, 0))["TIMETABLE_FAILURE"], "");
}

TEST(RunEvent, AnInterruptIsAWarningOfItsOwnWhateverTheMode) {
  RunRecord record = printedRun();
  record.mode = RunMode::kCheck;
  const SystemLogEvent event = runEventOf(record, 130, true, 0);
  EXPECT_EQ(event.id, 5u);
  EXPECT_EQ(event.level, EventLevel::kWarning);
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_OUTCOME"], "interrupted");
  EXPECT_EQ(fieldsOf(event)["TIMETABLE_FAILURE"], "");
}

TEST(RunEvent, AReprintAndACheckHaveOutcomesOfTheirOwn) {
  RunRecord record = printedRun();
  record.mode = RunMode::kReprint;
  EXPECT_EQ(runOutcomeOf(record, 0, false), RunOutcome::kReprinted);
  EXPECT_EQ(runOutcomeOf(record, 1, false), RunOutcome::kFailed);
  record.mode = RunMode::kCheck;
  EXPECT_EQ(runOutcomeOf(record, 0, false), RunOutcome::kCheckPassed);
  EXPECT_EQ(runOutcomeOf(record, 1, false), RunOutcome::kCheckFailed);
  record.mode = RunMode::kPrefetch;
  EXPECT_EQ(runOutcomeOf(record, 0, false), RunOutcome::kPrefetched);
  EXPECT_EQ(runOutcomeOf(record, 1, false), RunOutcome::kFailed);
  record.mode = RunMode::kCheck;
  EXPECT_EQ(runEventOf(record, 0, false, 0).level, EventLevel::kInformation);
  EXPECT_EQ(runEventOf(record, 1, false, 0).level, EventLevel::kError);
}

TEST(RunEvent, EachOutcomeHasItsOwnNameNumberAndMessageId) {
  std::set<std::string> names, messageIds;
  std::set<unsigned> ids;
  const RunOutcome outcomes[] = {RunOutcome::kPrinted,     RunOutcome::kPrintedIncomplete,
                                 RunOutcome::kReprinted,   RunOutcome::kFailed,
                                 RunOutcome::kInterrupted, RunOutcome::kCheckPassed,
                                 RunOutcome::kCheckFailed, RunOutcome::kPrefetched};
  for (RunOutcome outcome : outcomes) names.insert(runOutcomeName(outcome));
  EXPECT_EQ(names,
            (std::set<std::string>{"printed", "printed-incomplete", "reprinted", "failed",
                                   "interrupted", "check-passed", "check-failed", "prefetched"}));
  RunRecord record = printedRun();
  const auto add = [&](const SystemLogEvent& event) {
    ids.insert(event.id);
    messageIds.insert(event.messageId);
    EXPECT_EQ(event.messageId.size(), 32u);
  };
  add(runEventOf(record, 0, false, 0));
  add(runEventOf(record, 1, false, 0));
  add(runEventOf(record, 130, true, 0));
  record.incomplete = true;
  add(runEventOf(record, 0, false, 0));
  record.mode = RunMode::kReprint;
  add(runEventOf(record, 0, false, 0));
  record.mode = RunMode::kCheck;
  add(runEventOf(record, 0, false, 0));
  add(runEventOf(record, 1, false, 0));
  record.mode = RunMode::kPrefetch;
  add(runEventOf(record, 0, false, 0));
  EXPECT_EQ(ids, (std::set<unsigned>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(messageIds.size(), 8u);
}

TEST(RunEvent, OnlyARunAReprintAndACheckLeaveAnEvent) {
  EXPECT_EQ(runModeOf(InvocationMode::kRun), RunMode::kRun);
  EXPECT_EQ(runModeOf(InvocationMode::kCheck), RunMode::kCheck);
  EXPECT_EQ(runModeOf(InvocationMode::kReprint), RunMode::kReprint);
  for (InvocationMode mode :
       {InvocationMode::kListKeptForms, InvocationMode::kHelp, InvocationMode::kVersion,
        InvocationMode::kListPrinters, InvocationMode::kSettings}) {
    EXPECT_EQ(runModeOf(mode), RunMode::kOther);
  }
  EXPECT_EQ(runModeOf(InvocationMode::kPrefetch), RunMode::kPrefetch);
}

TEST(RunEvent, TheDestinationsKind) {
  EXPECT_STREQ(destinationKindName(DeviceDestination{}), "device");
  EXPECT_STREQ(destinationKindName(BytesFileDestination{}), "file");
  RenderedFileDestination screen;
  EXPECT_STREQ(destinationKindName(screen), "screen");
  screen.path = "form.pdf";
  EXPECT_STREQ(destinationKindName(screen), "drawn-file");
  EXPECT_STREQ(destinationKindName(SpoolDestination{}), "spooler");
  EXPECT_STREQ(destinationKindName(DrawnDestination{}), "drawn-printer");
}

TEST(RunEvent, TheEventsSettingIsOnOrOffInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"", true}, {"on", true}, {"OFF", false}, {"Off", false}};
  for (const auto& [value, on] : cases) {
    Setting events;
    events.value = value;
    EXPECT_EQ(eventsAreOn(events), on) << value;
    EXPECT_TRUE(events.problem.empty()) << value;
  }
  Setting events;
  events.value = "no";
  EXPECT_TRUE(eventsAreOn(events));
  EXPECT_FALSE(events.problem.empty());
}

}  // namespace
