#ifndef TIMETABLE_DRIVER_INVOCATION_PLAN_H_
#define TIMETABLE_DRIVER_INVOCATION_PLAN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "platform/settings_store.h"
#include "printer/destination.h"
#include "service/proxy_choice.h"
#include "service/service_settings.h"

// What one invocation does and uses, decided once at its start from the command line, the
// stored settings and the site's policy: the service, the trust and the proxy, where the form
// goes, the log and the state folder, each with where it came from, and whether the command line
// stands against the policy. Every mode reads this one value and none chooses anything again, so
// that a run, --check and --reprint cannot disagree on where the form goes or what the site
// allows.

enum class InvocationMode {
  kHelp,
  kVersion,
  kListPrinters,
  kSettings,
  kCheck,
  kReprint,
  kListKeptForms,
  kPrefetch,
  kRun
};

// Why the command line cannot be used with the settings (exit status 2), if it cannot.
enum class Refusal {
  kNone,
  kServiceUnusable,             // --service names no usable service.
  kServiceAgainstPolicy,        // --service names another service than the policy's.
  kServiceAgainstBrokenPolicy,  // --service beside a policy's service that cannot be used.
  kDestinationAgainstPolicy,    // A destination option names another than the policy's.
  kPrefetchWithoutTrains,       // --prefetch names no train, and the setting prefetch none.
  kPrefetchSettingUnusable,     // --prefetch names no train, and the setting cannot be read.
};

struct InvocationPlan {
  InvocationMode mode = InvocationMode::kRun;
  bool startMenu = false;   // Advice names the Start-menu entries, not options.
  ServiceSettings service;  // The service, the trust and the proxy setting, with their origins.
  // The proxy the service's requests go through, chosen once (only for the modes that ask the
  // service, and only when the settings can be used).
  ProxyChoice proxy;
  bool proxyChosen = false;

  // The settings of the program's own beside the service's, each with where it came from; one
  // line each here and in the table of invocation_plan.cpp.
  Setting destination;  // LPT1 (empty), a spooler printer's name, drawn, drawn:NAME, view, /PATH.
  Setting events;       // on (empty) or off: whether the invocation leaves its event.
  bool eventsOn = true;
  Setting offline;           // How many hours old a printed copy of a timetable may be; 0 (empty).
  int64_t offlineHours = 0;  // 0 also when the value cannot be used.
  Setting prefetch;          // The trains --prefetch fetches when it names none.
  std::vector<std::string> prefetchTrains;  // --prefetch's own, else the setting's.

  // Where the form goes: the options' request when they name one and no policy stands against
  // them, else the setting's; destinationOrigin says which, in the user's words.
  DestinationRequest destinationRequest;
  std::string destinationOrigin;

  Refusal refusal = Refusal::kNone;
  std::string refusalText;  // The refusal's error, worded for where the user started the program.

  // Each setting or source that cannot be used, as the error that ends a run: the service's,
  // then the destination's (destinationError, which a reprint cannot do without either).
  std::vector<std::string> errors;
  std::string destinationError;

  std::string logPath;      // The support log, or empty when the system gives no folder.
  std::string stateFolder;  // Where the log and the kept forms lie.
};

InvocationMode invocationModeOf(const CommandLine& line);

// The override of the service that the command line makes, with where it came from.
Setting serviceOverrideOf(const CommandLine& line);

// The plan of the command line, the stored settings and the service's settings read from them
// (serviceSettingsOf or readServiceSettings, with serviceOverrideOf(line)). Chooses no proxy and
// asks the system nothing.
InvocationPlan planOf(const CommandLine& line, const std::vector<StoredSetting>& stored,
                      ServiceSettings service);

// Reads the stores once and makes the plan, choosing the proxy for the modes that need it. The
// help and the version read nothing.
InvocationPlan readInvocationPlan(const CommandLine& line);

// Whether a setting of the program's own is marked wrong, as --settings shows it, even one that
// ends no run (events, which then stays on; prefetch, which only --prefetch reads).
bool anySettingWrong(const InvocationPlan& plan);

// Each setting's line for --settings, --check and the log: the service's, then the program's own.
std::string describePlanSettings(const InvocationPlan& plan);

// The error line of a refusal: from a command line, with where the usage is shown.
std::string refusalLine(const InvocationPlan& plan);

#endif  // TIMETABLE_DRIVER_INVOCATION_PLAN_H_
