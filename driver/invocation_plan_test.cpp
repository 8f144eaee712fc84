#include "driver/invocation_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/destination_setting.h"
#include "platform/start_menu.h"

namespace {

const char kPolicyOrigin[] = "/etc/timetable-print-policy.conf, line 1";

StoredSetting userValue(const std::string& name, const std::string& value) {
  return StoredSetting{name, value, "config, line 1", false};
}

StoredSetting policyValue(const std::string& name, const std::string& value) {
  return StoredSetting{name, value, kPolicyOrigin, true};
}

CommandLine lineOf(const std::vector<std::string>& arguments) {
  CommandLine line;
  EXPECT_EQ(parseCommandLine(arguments, line), "");
  return line;
}

InvocationPlan planFor(const std::vector<std::string>& arguments,
                       const std::vector<StoredSetting>& stored) {
  const CommandLine line = lineOf(arguments);
  return planOf(line, stored, serviceSettingsOf(stored, serviceOverrideOf(line)));
}

// Every mode that prints takes the same destination from the same settings.
const std::vector<std::vector<std::string>> kPrintingModes = {{}, {"--check"}, {"--reprint"}};

TEST(InvocationPlan, EachModeIsTheCommandLines) {
  EXPECT_EQ(planFor({}, {}).mode, InvocationMode::kRun);
  EXPECT_EQ(planFor({"--view"}, {}).mode, InvocationMode::kRun);
  EXPECT_EQ(planFor({"--check"}, {}).mode, InvocationMode::kCheck);
  EXPECT_EQ(planFor({"--reprint", "2"}, {}).mode, InvocationMode::kReprint);
  EXPECT_EQ(planFor({"--reprint", "--list"}, {}).mode, InvocationMode::kListKeptForms);
  EXPECT_EQ(planFor({"--settings"}, {}).mode, InvocationMode::kSettings);
  EXPECT_EQ(planFor({"--list-printers"}, {}).mode, InvocationMode::kListPrinters);
}

TEST(InvocationPlan, EveryPrintingModeFollowsTheSettingElseLpt1AndAnOptionOverAUserSetting) {
  for (const std::vector<std::string>& mode : kPrintingModes) {
    InvocationPlan plan = planFor(mode, {});
    EXPECT_FALSE(namesDestination(plan.destinationRequest));
    EXPECT_EQ(plan.destinationOrigin, "built in");
    plan = planFor(mode, {userValue("destination", "view")});
    EXPECT_TRUE(plan.destinationRequest.view);
    EXPECT_EQ(plan.destinationOrigin, "from config, line 1");
    std::vector<std::string> withOption = mode;
    withOption.insert(withOption.end(), {"-o", "b.prn"});
    plan = planFor(withOption, {userValue("destination", "view")});
    EXPECT_EQ(plan.destinationRequest.outputFile, "b.prn");
    EXPECT_FALSE(plan.destinationRequest.view);
    EXPECT_EQ(plan.refusal, Refusal::kNone);
  }
}

TEST(InvocationPlan, APolicyRefusesAnotherDestinationInEveryPrintingMode) {
  for (const std::vector<std::string>& mode : kPrintingModes) {
    std::vector<std::string> withOption = mode;
    withOption.insert(withOption.end(), {"-o", "b.prn"});
    const InvocationPlan plan =
        planFor(withOption, {policyValue("destination", "view"), userValue("destination", "x")});
    EXPECT_EQ(plan.refusal, Refusal::kDestinationAgainstPolicy);
    EXPECT_TRUE(plan.destinationRequest.view);
    EXPECT_NE(plan.refusalText.find("\"-o b.prn\""), std::string::npos) << plan.refusalText;
    EXPECT_NE(plan.refusalText.find(kPolicyOrigin), std::string::npos);
    // The policy's own destination, however it is named, is no conflict.
    std::vector<std::string> same = mode;
    same.insert(same.end(), {"-o", "LPT1"});
    EXPECT_EQ(planFor(same, {policyValue("destination", "LPT1")}).refusal, Refusal::kNone);
    EXPECT_EQ(planFor(same, {policyValue("destination", "")}).refusal, Refusal::kNone);
  }
}

TEST(InvocationPlan, ARefusalCountsItsOptionsAndFromTheStartMenuNamesTheEntryThatWorks) {
  const std::vector<StoredSetting> policy = {policyValue("destination", "drawn")};
  const InvocationPlan one = planFor({"-o", "LPT1"}, policy);
  const InvocationPlan two = planFor({"-o", "a.pdf", "--view"}, policy);
  EXPECT_EQ(one.refusal, Refusal::kDestinationAgainstPolicy);
  EXPECT_NE(one.refusalText, two.refusalText.substr(0, one.refusalText.size()));
  EXPECT_NE(refusalLine(one).find("--help"), std::string::npos);
  const InvocationPlan menu = planFor({"-o", "LPT1", "--start-menu"}, policy);
  EXPECT_NE(menu.refusalText.find(kFormMenuEntry), std::string::npos) << menu.refusalText;
  EXPECT_EQ(refusalLine(menu), menu.refusalText);
  const InvocationPlan reprint = planFor({"--reprint", "-o", "LPT1", "--start-menu"}, policy);
  EXPECT_NE(reprint.refusalText.find(kReprintMenuEntry), std::string::npos);
  EXPECT_EQ(reprint.refusalText.find("-o"), std::string::npos);
}

TEST(InvocationPlan, ABrokenPolicyDestinationEndsTheRunEvenBesideAnOption) {
  const InvocationPlan plan = planFor({"-o", "b.prn"}, {policyValue("destination", "drawn:")});
  EXPECT_EQ(plan.refusal, Refusal::kNone);
  ASSERT_EQ(plan.errors.size(), 1u);
  EXPECT_EQ(plan.errors[0], plan.destinationError);
  EXPECT_NE(plan.destinationError.find("\"drawn:\""), std::string::npos);
  // A user's broken value is only in the way when the options name no destination.
  EXPECT_TRUE(planFor({"-o", "b.prn"}, {userValue("destination", "drawn:")}).errors.empty());
  EXPECT_EQ(planFor({}, {userValue("destination", "drawn:")}).errors.size(), 1u);
}

TEST(InvocationPlan, TheServiceOptionIsWordedHereAgainstThePolicy) {
  EXPECT_EQ(planFor({"--service", "a b"}, {}).refusal, Refusal::kServiceUnusable);
  const std::vector<StoredSetting> policy = {policyValue("service", "policy.example.org")};
  EXPECT_EQ(planFor({"--check", "--service", "other.example.org"}, policy).refusal,
            Refusal::kServiceAgainstPolicy);
  EXPECT_EQ(planFor({"--settings", "--service", "POLICY.example.org:9640"}, policy).refusal,
            Refusal::kNone);
  EXPECT_EQ(planFor({"--service", "x.org"}, {policyValue("service", "bad_host")}).refusal,
            Refusal::kServiceAgainstBrokenPolicy);
  const InvocationPlan plan = planFor({"--service", "x.org:9641"}, {});
  EXPECT_EQ(serviceHostPort(plan.service), "x.org:9641");
  EXPECT_NE(describePlanSettings(plan).find("--service"), std::string::npos);
}

TEST(InvocationPlan, SettingsShowTheProgramsOwnSettingsBesideTheServices) {
  const InvocationPlan plan =
      planFor({"--settings"}, {policyValue("destination", "drawn"), userValue("proxy", "direct")});
  const std::string shown = describePlanSettings(plan);
  EXPECT_NE(shown.find("destination = drawn (policy, from " + std::string(kPolicyOrigin) + ")\n"),
            std::string::npos)
      << shown;
  EXPECT_LT(shown.find("proxy = direct"), shown.find("destination = drawn"));
  EXPECT_EQ(planFor({"--settings"}, {}).errors.size(), 0u);
  // offline is shown with its built-in value; the rest only when set.
  EXPECT_NE(describePlanSettings(planFor({"--settings"}, {})).find("offline = 0 (built in)\n"),
            std::string::npos);
}

TEST(InvocationPlan, OfflineHoursEndARunOnlyWhenTheyCannotBeRead) {
  EXPECT_EQ(planFor({}, {userValue("offline", "12")}).offlineHours, 12);
  const InvocationPlan plan = planFor({}, {userValue("offline", "x")});
  EXPECT_EQ(plan.offlineHours, 0);
  EXPECT_EQ(plan.errors.size(), 1u);
}

TEST(InvocationPlan, PrefetchTakesItsTrainsFromTheCommandLineElseTheSetting) {
  EXPECT_EQ(planFor({"--prefetch", "5410"}, {userValue("prefetch", "1-2")}).prefetchTrains,
            std::vector<std::string>{"5410"});
  EXPECT_EQ(planFor({"--prefetch"}, {userValue("prefetch", "1-2")}).prefetchTrains,
            (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(planFor({"--prefetch"}, {}).refusal, Refusal::kPrefetchWithoutTrains);
  EXPECT_EQ(planFor({"--prefetch"}, {userValue("prefetch", "x")}).refusal,
            Refusal::kPrefetchSettingUnusable);
  // A wrong list ends nothing but --prefetch.
  EXPECT_EQ(planFor({}, {userValue("prefetch", "x")}).refusal, Refusal::kNone);
  EXPECT_TRUE(planFor({}, {userValue("prefetch", "x")}).errors.empty());
}

TEST(InvocationPlan, EventsFollowTheSettingAndItsPolicyAndAreShownOnlyWhenSet) {
  EXPECT_TRUE(planFor({}, {}).eventsOn);
  EXPECT_EQ(describePlanSettings(planFor({"--settings"}, {})).find("events"), std::string::npos);
  const InvocationPlan plan =
      planFor({"--check"}, {policyValue("events", "off"), userValue("events", "on")});
  EXPECT_FALSE(plan.eventsOn);
  EXPECT_FALSE(anySettingWrong(plan));
  // A value that is neither leaves them on, and --settings fails on it.
  const InvocationPlan wrong = planFor({"--settings"}, {userValue("events", "maybe")});
  EXPECT_TRUE(wrong.eventsOn);
  EXPECT_TRUE(anySettingWrong(wrong));
  EXPECT_TRUE(wrong.errors.empty());
  EXPECT_NE(describePlanSettings(plan).find("events = off (policy, from " +
                                            std::string(kPolicyOrigin) + ")\n"),
            std::string::npos);
}

}  // namespace
