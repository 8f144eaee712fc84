#include "driver/connection_check.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>

#include "driver/copy_store.h"
#include "driver/request_failure_text.h"
#include "driver/run_event.h"
#include "driver/timetable_copy.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "preview/rendered_format.h"
#include "printer/destination.h"
#include "printer/spooler.h"
#include "service/connection_probe.h"
#include "service/online_lookup.h"
#include "service/proxy_choice.h"
#include "service/service_message.h"
#include "service/service_request.h"
#include "service/service_settings.h"
#include "service/settings_display.h"

namespace {

enum class StepResult { kPassed, kWarned, kFailed, kSkipped };

// The lines below a step's own, indented under it.
std::string indented(const std::string& lines) {
  std::string text;
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    text += "    " + lines.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return text;
}

// Writes one step's line at once, so that a slow step shows which one it is; details, such as
// libcurl's own words for a failure, follow indented. The support log gets the same lines, so
// that the help desk reads there what the user saw. Remembers a failure for the exit status.
void report(bool& failed, StepResult result, const std::string& line,
            const std::string& details = std::string()) {
  const char* mark = result == StepResult::kPassed   ? translate("[ok]")
                     : result == StepResult::kWarned ? translate("[warning]")
                     : result == StepResult::kFailed ? translate("[failed]")
                                                     : translate("[skipped]");
  if (result == StepResult::kFailed) failed = true;
  const std::string text =
      eachLineOneLine(std::string(mark) + " " + line + "\n" + indented(details));
  writeConsoleText(stdout, text);
  for (size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    logLine("check: " + text.substr(at, end - at));
  }
}

// The log's step: this run's lines reached it, or why they did not.
void reportSupportLog(bool& failed) {
  logLine("check: the support log");
  const bool written = !supportLogPath().empty() && supportLogFailure().empty();
  report(failed, written ? StepResult::kPassed : StepResult::kFailed, supportLogText());
}

// libcurl's own words for a failure, masked: --check and the log are their only places.
std::string libcurlDetail(const RequestFailure& failure) {
  return failure.detail.empty()
             ? failure.detail
             : formatMessage(translate("in libcurl's words: {0}"), {failure.detail});
}

// The check's own entry has shown the settings at its first step: its advice points there.
StartedFrom startedFrom(const InvocationPlan& plan) {
  return plan.startMenu ? StartedFrom::kCheckMenuEntry : StartedFrom::kCommandLine;
}

// The stage a connection stopped at; none when it was set up.
std::optional<FailureStage> failedStage(const ConnectionFacts& facts) {
  if (!facts.failure) return std::nullopt;
  return facts.failure->stage;
}

// The name and proxy steps: through a proxy the machine resolves the proxy's name, and the
// proxy the service's.
void reportNameAndProxy(bool& failed, const InvocationPlan& plan, const ConnectionFacts& facts,
                        StartedFrom from) {
  const ServiceSettings& settings = plan.service;
  const ProxyChoice& proxy = plan.proxy;
  const bool nameFailed = failedStage(facts) == FailureStage::kName;
  if (nameFailed) {
    report(failed, StepResult::kFailed, requestFailureText(*facts.failure, from),
           libcurlDetail(*facts.failure));
  } else if (proxy.url.empty() && !facts.address.empty()) {
    report(failed, StepResult::kPassed,
           formatMessage(translate("the name {0} has the address {1}"),
                         {settings.host, facts.address}));
  } else if (proxy.url.empty()) {
    // A connection that failed may leave no address to tell; the name still resolved.
    report(failed, StepResult::kPassed,
           formatMessage(translate("the name {0} is known on the network"), {settings.host}));
  } else {
    report(failed, StepResult::kPassed,
           formatMessage(translate("the name {0} is looked up by the proxy"), {settings.host}));
  }
  std::string proxyLine = describeProxyChoice(settings, proxy);
  proxyLine.pop_back();  // Its end of line.
  if (failedStage(facts) == FailureStage::kProxy) {
    report(failed, StepResult::kFailed, proxyLine + ": " + requestFailureText(*facts.failure, from),
           libcurlDetail(*facts.failure));
  } else if (nameFailed && !proxy.url.empty()) {
    report(failed, StepResult::kSkipped, proxyLine);
  } else {
    report(failed, StepResult::kPassed, proxyLine);
  }
}

// The steps of the TCP connection and of TLS.
void reportConnection(bool& failed, const ServiceSettings& settings, const ConnectionFacts& facts,
                      StartedFrom from) {
  const std::optional<FailureStage> stage = failedStage(facts);
  const bool before = stage == FailureStage::kName || stage == FailureStage::kProxy;
  const std::string connection = translate("the connection");
  if (before) {
    report(failed, StepResult::kSkipped, connection);
  } else if (stage && stage != FailureStage::kTls) {
    report(failed, StepResult::kFailed, requestFailureText(*facts.failure, from),
           libcurlDetail(*facts.failure));
  } else {
    report(failed, StepResult::kPassed,
           formatMessage(translate("connected to {0} port {1} in {2} ms"),
                         {facts.address, std::to_string(facts.port),
                          std::to_string(facts.connectMilliseconds)}));
  }
  if (stage && stage != FailureStage::kTls) {
    report(failed, StepResult::kSkipped, translate("the secure connection (TLS)"));
    return;
  }
  if (stage == FailureStage::kTls) {
    report(failed, StepResult::kFailed, requestFailureText(*facts.failure, from),
           libcurlDetail(*facts.failure));
    return;
  }
  // Schannel's libcurl may tell the subject and issuer without the end of validity.
  const std::string certificate =
      facts.subject.empty() ? std::string()
      : facts.expiry.empty()
          ? formatMessage(translate("certificate {0}, issued by {1}"),
                          {facts.subject, facts.issuer})
          : formatMessage(translate("certificate {0}, issued by {1}, valid until {2}"),
                          {facts.subject, facts.issuer, facts.expiry});
  report(failed, StepResult::kPassed,
         formatMessage(translate("the secure connection (TLS) is set up in {0} ms: the "
                                 "certificate of {1} is trusted by {2} and made out to that name"),
                       {std::to_string(facts.tlsMilliseconds), settings.host, settings.trust.name}),
         certificate);
}

// The service's answer to the harmless query, through the very requests of a run.
void reportAnswer(bool& failed, StartedFrom from) {
  const auto start = std::chrono::steady_clock::now();
  try {
    const nlohmann::json trains = fetchServiceMessage(kOnlineTrainsQuery);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const size_t count = trains.is_array() ? trains.size() : 0;
    report(failed, StepResult::kPassed,
           formatMessage(translatePlural("the service answers: {0} train online, in {1} ms",
                                         "the service answers: {0} trains online, in {1} ms",
                                         static_cast<unsigned long>(count)),
                         {std::to_string(count), std::to_string(elapsed.count())}));
  } catch (const RequestFailed& failure) {
    noteEventFailure(failure.failure.kind);
    report(failed, StepResult::kFailed, requestFailureText(failure.failure, from),
           libcurlDetail(failure.failure));
  } catch (const std::exception& failure) {
    report(failed, StepResult::kFailed, failure.what());
  }
}

// The spooler's printer the destination prints on, or empty for a device or a file.
std::string spoolerPrinterOf(const Destination& destination) {
  if (const auto* spool = std::get_if<SpoolDestination>(&destination)) return spool->printer;
  if (const auto* drawn = std::get_if<DrawnDestination>(&destination)) return drawn->printer;
  return std::string();
}

// What a path that stands for the printer is, in the user's words, and whether it is a plain file,
// which takes the bytes and prints nothing; empty for anything else (the check of a run passes or
// fails it).
std::string pathKindText(const std::string& path, bool& plainFile) {
  plainFile = false;
  switch (fileKindOf(path)) {
    case FileKind::kCharacterDevice:
      return formatMessage(translate("{0} is a device"), {path});
    case FileKind::kPipe:
      return formatMessage(translate("{0} is a pipe (FIFO), which a program reads"), {path});
    case FileKind::kPlainFile:
    case FileKind::kNothing:
      plainFile = true;
      return formatMessage(
          translate("{0} is a plain file, so the form is written to it and nothing is printed on "
                    "paper; to print, set the destination setting to a printer (timetable-print "
                    "--list-printers shows them) or to the printer's device, such as "
                    "/dev/usb/lp0, or ask the IT department"),
          {fullPathOf(path)});
    case FileKind::kOther:
      break;
  }
  return std::string();
}

// The path the printer stands at when it is not the command line's own file: LPT1, or the
// setting's path; empty for any other destination.
std::string printerPathOf(const InvocationPlan& plan, const Destination& destination) {
  const DestinationRequest& request = plan.destinationRequest;
  const bool printerPath = request.outputFile.empty() || request.printerBytes ||
                           sameFile(request.outputFile, kPrinterDevice);
  if (!printerPath) return std::string();
  if (const auto* device = std::get_if<DeviceDestination>(&destination)) return device->device;
  if (const auto* file = std::get_if<BytesFileDestination>(&destination)) return file->path;
  return std::string();
}

// The destination the plan's run would use, prepared as the run prepares it.
void reportDestination(bool& failed, const InvocationPlan& plan) {
  try {
    Destination destination = chooseDestination(plan.destinationRequest);
    noteEventDestination(destination);
    prepareDestination(destination);
    // A printer the spooler has but that cannot print now would pass a run's checks, and then
    // hold the form: the check names what stops it.
    const std::string spooled = spoolerPrinterOf(destination);
    if (!spooled.empty()) {
      const SpoolPrinterState state = spoolPrinterState(spooled);
      if (!state.ready) {
        report(failed, StepResult::kFailed,
               formatMessage(translate("the print spooler has the printer {0}, but it cannot "
                                       "print now ({1}); make it ready in the system's printer "
                                       "settings, or ask the IT department"),
                             {quoted(spooled), state.words}));
        return;
      }
    }
    const std::string where =
        formatMessage(translate("where the form goes: {0}"), {destinationText(destination)});
    const std::string path = printerPathOf(plan, destination);
    bool plainFile = false;
    const std::string kind = path.empty() ? std::string() : pathKindText(path, plainFile);
    report(failed, plainFile ? StepResult::kWarned : StepResult::kPassed, where, kind);
  } catch (const std::exception& failure) {
    report(failed, StepResult::kFailed, failure.what());
  }
}

}  // namespace

// The copies of timetables and the setting that allows them; no fault of theirs fails the check,
// as a run without them is as it always was.
std::string copySummaryText(const CopySummary& summary, const char* owner) {
  std::string text =
      summary.usable == 0
          ? formatMessage(translate("{0}: none in {1}"), {owner, summary.folder})
          : formatMessage(translate("{0}: {1} in {2}, fetched from {3} UTC to {4} UTC"),
                          {owner, std::to_string(summary.usable), summary.folder,
                           utcTimeOf(summary.oldest), utcTimeOf(summary.newest)});
  for (const std::string& refusal : summary.refusals) {
    text += "\n" + formatMessage(translate("not used: {0}"), {refusal});
  }
  return text + "\n";
}

void reportCopies(bool& failed, int64_t offlineHours) {
  const auto now = static_cast<int64_t>(std::time(nullptr));
  const std::string setting =
      offlineHours == 0
          ? translate("offline = 0: no copy of a timetable is printed")
          : formatMessage(translate("offline = {0}: a copy of a timetable at most {0} h old is "
                                    "printed when the service cannot give the timetable"),
                          {std::to_string(offlineHours)});
  report(failed, StepResult::kPassed, setting,
         copySummaryText(summarizeCopies(CopyOwner::kUser, now), translate("the user's copies")) +
             copySummaryText(summarizeCopies(CopyOwner::kMachine, now),
                             translate("the machine's copies")));
}

int runConnectionCheck(const InvocationPlan& plan) {
  bool failed = false;
  // A value that cannot be used is marked in the lines below; the run would end at it.
  const bool usable = plan.errors.empty();
  report(failed, usable ? StepResult::kPassed : StepResult::kFailed, translate("the settings"),
         describePlanSettings(plan));
  reportSupportLog(failed);
  reportCopies(failed, plan.offlineHours);
  if (usable) {
    startServiceRequests(plan.service, plan.proxy);
    const ConnectionFacts facts = checkServiceConnection();
    if (facts.failure) noteEventFailure(facts.failure->kind);
    reportNameAndProxy(failed, plan, facts, startedFrom(plan));
    reportConnection(failed, plan.service, facts, startedFrom(plan));
    if (!facts.failure) {
      reportAnswer(failed, startedFrom(plan));
    } else {
      report(failed, StepResult::kSkipped, translate("the service's answer"));
    }
  } else {
    report(failed, StepResult::kSkipped, translate("the service"));
  }
  reportDestination(failed, plan);
  return failed ? 1 : 0;
}
