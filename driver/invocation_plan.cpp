#include "driver/invocation_plan.h"

#include <string>

#include "driver/destination_request.h"
#include "driver/destination_setting.h"
#include "driver/offline_setting.h"
#include "driver/run_event.h"
#include "platform/messages.h"
#include "platform/setting_names.h"
#include "platform/start_menu.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/settings_display.h"

namespace {

// The program's own settings: the name the stores use, and where the plan keeps the value. A new
// setting is one line here and one in kSettingNames.
struct PlanSetting {
  SettingIndex name;
  Setting InvocationPlan::*setting;
  const char* builtIn;  // The value --settings shows when none is set; none shows no line.
};

const PlanSetting kPlanSettings[] = {
    {kDestinationSetting, &InvocationPlan::destination, nullptr},
    {kEventsSetting, &InvocationPlan::events, nullptr},
    {kOfflineSetting, &InvocationPlan::offline, "0"},
    {kPrefetchSetting, &InvocationPlan::prefetch, nullptr},
};

void takePlanSettings(const std::vector<StoredSetting>& stored, InvocationPlan& plan) {
  for (const StoredSetting& value : stored) {
    for (const PlanSetting& known : kPlanSettings) {
      if (value.name == settingName(known.name)) takeStoredSetting(value, plan.*known.setting);
    }
  }
}

// The destination options as they were typed, for a message, and how many they are.
std::string optionsText(const CommandLine& line, unsigned long& count) {
  std::string text;
  count = 0;
  const auto add = [&text, &count](const std::string& option) {
    text += (text.empty() ? "" : " ") + option;
    ++count;
  };
  if (!line.output.empty()) add("-o " + line.output);
  if (line.drawn) add("--drawn");
  if (!line.printer.empty()) add("--printer " + line.printer);
  if (line.view) add("--view");
  return text;
}

void refuse(InvocationPlan& plan, Refusal refusal, const std::string& text) {
  if (plan.refusal != Refusal::kNone) return;  // The first one is the one to mend first.
  plan.refusal = refusal;
  plan.refusalText = text;
}

// A refused destination names what works instead: from the Start menu, the entry that follows
// the policy, by the name the user sees there; from a command line, the options to leave out.
std::string destinationRefusalText(const CommandLine& line, const InvocationPlan& plan) {
  const Setting& policy = plan.destination;
  if (line.startMenu) {
    const char* entry = line.reprint ? kReprintMenuEntry : kFormMenuEntry;
    return formatMessage(
        translate("this Start-menu entry cannot be used, as the site's policy sets the "
                  "destination {0}; use \"{1}\" in the Start menu instead: the policy is {2}"),
        {policy.value, entry, policy.origin});
  }
  unsigned long count = 0;
  const std::string options = optionsText(line, count);
  return formatMessage(
      translatePlural("the option {0} cannot be used, as the site's policy sets the destination "
                      "{1}; leave it out: the policy is {2}",
                      "the options {0} cannot be used, as the site's policy sets the destination "
                      "{1}; leave them out: the policy is {2}",
                      count),
      {quoted(options), policy.value, policy.origin});
}

// The options' destination when they name one and no policy sets it, else the setting's. A
// policy's value admits only options that name the same destination; a policy's value that
// cannot be used ends the run whatever the options say, as the site's word cannot be read.
void planDestination(const CommandLine& line, InvocationPlan& plan) {
  const DestinationRequest options = destinationRequestOf(line);
  Setting& setting = plan.destination;
  DestinationRequest chosen;
  setting.problem = readDestinationSetting(setting.value, chosen);
  // The setting's destination gets the advice the command line's would.
  chosen.printerDeviceAdvice = options.printerDeviceAdvice;
  chosen.noDefaultPrinterError = options.noDefaultPrinterError;
  chosen.unknownPrinterError = options.unknownPrinterError;
  const bool optionsChoose = namesDestination(options) && !setting.policy;
  if (!setting.problem.empty() && !optionsChoose) {
    plan.destinationError = formatMessage(
        translate("the setting destination = {0} ({1}) {2}; write LPT1, a printer's name, "
                  "drawn, drawn:PRINTER, view or the path of a device, beginning with /"),
        {quoted(setting.value), originText(setting), setting.problem});
  }
  if (optionsChoose) {
    plan.destinationRequest = options;
    plan.destinationOrigin = translate("from the command line");
    return;
  }
  plan.destinationRequest = chosen;
  plan.destinationOrigin = originText(setting);
  if (namesDestination(options) && setting.policy && setting.problem.empty() &&
      !sameDestination(options, chosen)) {
    refuse(plan, Refusal::kDestinationAgainstPolicy, destinationRefusalText(line, plan));
  }
}

// The service's refusal of --service, worded here, where the option is known.
void planServiceOverride(const CommandLine& line, InvocationPlan& plan) {
  const Setting& service = plan.service.service;
  switch (plan.service.serviceOverride) {
    case ServiceOverride::kNoneOrTaken:
      return;
    case ServiceOverride::kUnusable:
      refuse(plan, Refusal::kServiceUnusable,
             formatMessage(translate("the option --service {0} {1}; give HOST or "
                                     "HOST:PORT, an IPv6 address in brackets"),
                           {quoted(line.service), service.problem}));
      return;
    case ServiceOverride::kAgainstBrokenPolicy:
      refuse(plan, Refusal::kServiceAgainstBrokenPolicy,
             formatMessage(
                 translate("the option --service {0} cannot be used, as the site's "
                           "policy sets the service, and its value {1} {2}; leave the "
                           "option out and ask the IT department to correct the "
                           "policy: {3}"),
                 {quoted(line.service), quoted(service.value), service.problem, service.origin}));
      return;
    case ServiceOverride::kAgainstPolicy:
      refuse(plan, Refusal::kServiceAgainstPolicy,
             formatMessage(translate("the option --service {0} cannot be used, as the site's "
                                     "policy sets the service {1}; leave the option out: the "
                                     "policy is {2}"),
                           {quoted(line.service), serviceHostPort(plan.service), service.origin}));
      return;
  }
}

// The trains of --prefetch: the command line's, else the setting's, which must name some.
void planPrefetch(const CommandLine& line, InvocationPlan& plan) {
  const std::vector<std::string> fromSetting = readPrefetchSetting(plan.prefetch);
  if (plan.mode != InvocationMode::kPrefetch) return;
  plan.prefetchTrains = line.trains.empty() ? fromSetting : line.trains;
  if (!line.trains.empty()) return;
  const Setting& prefetch = plan.prefetch;
  if (prefetch.value.empty()) {
    refuse(plan, Refusal::kPrefetchWithoutTrains,
           translate("the option --prefetch needs train numbers, or the setting prefetch"));
  } else if (!prefetch.problem.empty()) {
    refuse(plan, Refusal::kPrefetchSettingUnusable,
           formatMessage(translate("the setting prefetch = {0} ({1}) {2}"),
                         {prefetch.value, originText(prefetch), prefetch.problem}));
  }
}

bool readsSettings(InvocationMode mode) {
  return mode != InvocationMode::kHelp && mode != InvocationMode::kVersion &&
         mode != InvocationMode::kListKeptForms;
}

bool asksService(InvocationMode mode) {
  return mode == InvocationMode::kRun || mode == InvocationMode::kCheck ||
         mode == InvocationMode::kSettings || mode == InvocationMode::kPrefetch;
}

}  // namespace

InvocationMode invocationModeOf(const CommandLine& line) {
  if (line.help) return InvocationMode::kHelp;
  if (line.version) return InvocationMode::kVersion;
  if (line.listPrinters) return InvocationMode::kListPrinters;
  if (line.check) return InvocationMode::kCheck;
  if (line.reprint) return line.list ? InvocationMode::kListKeptForms : InvocationMode::kReprint;
  if (line.settings) return InvocationMode::kSettings;
  if (line.prefetch) return InvocationMode::kPrefetch;
  return InvocationMode::kRun;
}

Setting serviceOverrideOf(const CommandLine& line) {
  if (line.service.empty()) return Setting();
  return Setting{line.service, translate("the option --service"), false, std::string()};
}

InvocationPlan planOf(const CommandLine& line, const std::vector<StoredSetting>& stored,
                      ServiceSettings service) {
  InvocationPlan plan;
  plan.mode = invocationModeOf(line);
  plan.startMenu = line.startMenu;
  plan.service = std::move(service);
  takePlanSettings(stored, plan);
  planServiceOverride(line, plan);
  planDestination(line, plan);
  plan.eventsOn = eventsAreOn(plan.events);
  planPrefetch(line, plan);
  plan.errors = plan.service.errors;
  if (!plan.destinationError.empty()) plan.errors.push_back(plan.destinationError);
  plan.offlineHours = readOfflineSetting(plan.offline, plan.errors);
  plan.logPath = supportLogPath();
  plan.stateFolder = supportLogFolder();
  return plan;
}

InvocationPlan readInvocationPlan(const CommandLine& line) {
  const InvocationMode mode = invocationModeOf(line);
  if (!readsSettings(mode)) {
    InvocationPlan plan = planOf(line, {}, ServiceSettings());
    return plan;
  }
  const StoredSettings stored = readStoredSettings();
  InvocationPlan plan =
      planOf(line, stored.settings, readServiceSettings(stored, serviceOverrideOf(line)));
  if (asksService(mode) && plan.errors.empty() && plan.refusal == Refusal::kNone) {
    plan.proxy = chooseProxy(plan.service);
    plan.proxyChosen = true;
  }
  return plan;
}

bool anySettingWrong(const InvocationPlan& plan) {
  for (const PlanSetting& known : kPlanSettings) {
    if (!(plan.*known.setting).problem.empty()) return true;
  }
  return false;
}

std::string describePlanSettings(const InvocationPlan& plan) {
  std::string own;
  for (const PlanSetting& known : kPlanSettings) {
    const Setting& setting = plan.*known.setting;
    if (!setting.value.empty() || !setting.problem.empty()) {
      own += settingLine(settingName(known.name), setting.value, setting);
    } else if (known.builtIn != nullptr) {
      own += settingLine(settingName(known.name), known.builtIn, setting);
    }
  }
  return describeServiceSettings(plan.service, own);
}

std::string refusalLine(const InvocationPlan& plan) {
  // A Start-menu entry has no command line whose usage could help.
  if (plan.startMenu && plan.refusal == Refusal::kDestinationAgainstPolicy) {
    return plan.refusalText;
  }
  return usageErrorText(plan.refusalText);
}
