// timetable-print: prints a train driver's timetable form on the printer at LPT1, or where the
// command line says.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/connection_check.h"
#include "driver/exit_status.h"
#include "driver/invocation_plan.h"
#include "driver/prefetch.h"
#include "driver/print_job.h"
#include "driver/reprint.h"
#include "driver/request_failure_text.h"
#include "driver/run_event.h"
#include "driver/settings_report.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/destination.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "service/proxy_choice.h"
#include "service/service_request.h"

namespace {

void listPrinters() { writeConsoleText(stdout, printerListText(listSpoolPrinters())); }

// The run's first line in the support log: the version, and the command line as typed, each
// argument that holds a blank or a quote (or none at all) quoted; then the standard streams the
// program was started without.
void logRunStart(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& closedStreams) {
  const std::string version(kVersionText);
  std::string line = "started " + version.substr(0, version.find('\n')) + ", options:";
  for (const std::string& argument : arguments) {
    const bool plain = !argument.empty() && argument.find_first_of(" \"") == std::string::npos;
    const std::string shown = shortened(argument);
    line += plain ? " " + shown : " \"" + shown + "\"";
  }
  logLine(arguments.empty() ? line + " none" : line);
  for (const std::string& name : closedStreams) {
    logLine(name + " was closed at the start; the null device stands in for it");
  }
  // Where LPT1, cacert.pem and the files named without a folder are.
  logLine("working folder: " + fullPathOf(std::string()));
}

// Each setting with where it came from, the trust and where the form goes, as --settings shows
// them.
void logPlan(const InvocationPlan& plan) {
  const std::string text = describePlanSettings(plan);
  for (size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    logLine("setting: " + text.substr(at, end - at));
  }
}

// The answer's last bytes are flushed; one that could not be written whole (a full disk, a
// closed standard output) is said so.
int withAnswerWritten(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  int failure = standardOutputError() != 0 ? standardOutputError() : errno;
  if (!flushed && failure == 0) failure = EIO;
  if (failure != 0) {
    error(
        formatMessage(translate("cannot write to standard output: {0}"), {fileErrorText(failure)}));
  }
  return statusOfAnswer(status, failure);
}

// Standard output only shows the dialogue, so a reader of it that went away (as head does) does
// not stop the form: the writes to it fail and the run goes on. Once the form is done, this is
// said where it can still be read.
void noticeLostDialogue() {
  std::cout.flush();
  if (std::cout.bad() || standardOutputError() != 0) {
    notice(translate(
        "the dialogue could not be shown to its end, as standard output was closed; the form "
        "was finished all the same"));
  }
}

// --prefetch: the plan's trains, kept as copies.
int runPrefetchPlan(const InvocationPlan& plan) {
  if (!plan.errors.empty()) throw std::runtime_error(plan.errors.front());
  startServiceRequests(plan.service, plan.proxy);
  return runPrefetch(plan.prefetchTrains);
}

// A run: the form, asked for, fetched and printed where the plan says.
void runForm(const InvocationPlan& plan) {
  if (!plan.errors.empty()) throw std::runtime_error(plan.errors.front());
  const Destination destination = chooseDestination(plan.destinationRequest);
  noteEventDestination(destination);
  startServiceRequests(plan.service, plan.proxy);
  const std::string proxy = describeProxyChoice(plan.service, plan.proxy);
  logLine(proxy.substr(0, proxy.find('\n')));
  runPrintJob(destination, plan.offlineHours);
  noticeLostDialogue();
}

// Does what the plan's mode asks for; returns the exit status. The modes that need no settings
// come first; the others are refused at once when the command line stands against the settings.
int runPlan(const InvocationPlan& plan, const CommandLine& line) {
  switch (plan.mode) {
    case InvocationMode::kHelp:
      writeConsoleText(stdout, usageText());
      return kExitDone;
    case InvocationMode::kVersion:
      writeConsoleText(stdout, kVersionText);
      return kExitDone;
    case InvocationMode::kListKeptForms:
      return listKeptForms();
    case InvocationMode::kListPrinters:
      listPrinters();
      return kExitDone;
    default:
      break;
  }
  if (plan.mode != InvocationMode::kCheck) logPlan(plan);
  if (plan.refusal != Refusal::kNone) {
    error(refusalLine(plan));
    return kExitUsage;
  }
  switch (plan.mode) {
    case InvocationMode::kSettings:
      return runSettingsReport(plan);
    case InvocationMode::kCheck:
      return runConnectionCheck(plan);
    case InvocationMode::kReprint:
      return runReprint(plan, line.reprintNumber);
    case InvocationMode::kPrefetch:
      return runPrefetchPlan(plan);
    default:
      runForm(plan);
      return kExitDone;
  }
}

// Runs what the command line asks for; a failure is reported as one error line.
int runReporting(const CommandLine& line, InvocationPlan& plan) {
  int status = kExitFailed;
  setRetryNotifier(showRetryNotice);
  try {
    plan = readInvocationPlan(line);
    noteEventsOn(plan.eventsOn);
    status = runPlan(plan, line);
    if (outputIsTheAnswer(plan.mode)) status = withAnswerWritten(status);
  } catch (const RequestFailed& failed) {
    logLine("request failed: " + failed.failure.url + " " + failureLogKey(failed.failure));
    noteEventFailure(failed.failure.kind);
    error(requestFailureText(failed.failure,
                             line.startMenu ? StartedFrom::kStartMenu : StartedFrom::kCommandLine));
  } catch (const std::exception& failure) {
    error(failure.what());
  }
  endServiceRequests();
  return status;
}

// Where every invocation ends, whatever it did and however it failed: the one place that sees
// its outcome whole.
int endInvocation(const InvocationPlan&, int status) {
  endRunEvent(status);
  logLine("ended with exit status " + std::to_string(status));
  // A window opened for the program alone (a shortcut, a double click) waits for Enter after a
  // usage error too, else the error would vanish before it could be read.
  holdOwnConsoleWindow();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any file is opened, so that neither the printer nor the log takes the place of a
  // closed standard stream and gets the dialogue or the messages.
  const std::vector<std::string> closedStreams = reopenClosedStandardStreams();
  // Then, before any thread starts: a Ctrl+C cancels an open print job and removes a file not
  // yet in place.
  startInterruptHandling();
  startTranslation();
  const std::vector<std::string> arguments = commandLineArguments(argc, argv);
  logRunStart(arguments, closedStreams);
  CommandLine line;
  const std::string usageError = parseCommandLine(arguments, line);
  setStartedFromMenu(line.startMenu);
  InvocationPlan plan;
  int status = kExitUsage;
  if (usageError.empty()) {
    startRunEvent(invocationModeOf(line));
    status = runReporting(line, plan);
  } else {
    error(usageErrorText(usageError));
  }
  return endInvocation(plan, status);
}
