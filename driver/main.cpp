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
#include "driver/destination_request.h"
#include "driver/destination_setting.h"
#include "driver/offline_setting.h"
#include "driver/prefetch.h"
#include "driver/print_job.h"
#include "driver/reprint.h"
#include "driver/request_failure_text.h"
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
#include "service/service_settings.h"
#include "service/settings_display.h"

namespace {

void listPrinters() { writeConsoleText(stdout, printerListText(listSpoolPrinters())); }

// The run's first line in the support log: the version, and the command line as typed, each
// argument that holds a blank or a quote (or none at all) quoted.
void logRunStart(const std::vector<std::string>& arguments) {
  const std::string version(kVersionText);
  std::string line = "started " + version.substr(0, version.find('\n')) + ", options:";
  for (const std::string& argument : arguments) {
    const bool plain = !argument.empty() && argument.find_first_of(" \"") == std::string::npos;
    line += plain ? " " + argument : " \"" + argument + "\"";
  }
  logLine(arguments.empty() ? line + " none" : line);
  // Where LPT1, cacert.pem and the files named without a folder are.
  logLine("working folder: " + fullPathOf(std::string()));
}

// Each setting with where it came from, and the trust, as --settings shows them.
void logServiceSettings(const ServiceSettings& settings) {
  const std::string text = describeServiceSettings(settings);
  for (size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = std::min(text.find('\n', at), text.size());
    logLine("setting: " + text.substr(at, end - at));
  }
}

// A mode whose output is its answer fails when the answer cannot be written (a full disk, a
// closed standard output), as any tool's must: a script would take the silence for success.
int withAnswerWritten(int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  const int failure = standardOutputError() != 0 ? standardOutputError() : errno;
  if (flushed && failure == 0) return status;
  error(formatMessage(translate("cannot write to standard output: {0}"),
                      {std::strerror(failure != 0 ? failure : EIO)}));
  return 1;
}

// Standard output only shows the dialogue, so a reader of it that went away (as head does) does
// not stop the form: the writes to it fail and the run goes on. Once the form is done, this is
// said where it can still be read.
void noticeLostDialogue() {
  std::cout.flush();
  if (std::cout.bad()) {
    notice(translate(
        "the dialogue could not be shown to its end, as standard output was closed; the form "
        "was finished all the same"));
  }
}

// --prefetch: the trains named, else the setting's; a setting that names none, or cannot be
// read, is a usage error as a wrong word on the command line is.
int prefetchTrains(const CommandLine& line) {
  ServiceSettings settings = readServiceSettings(line.service);
  checkOfflineSettings(settings);
  logServiceSettings(settings);
  std::vector<std::string> trains = line.trains;
  if (trains.empty()) {
    const Setting& prefetch = settings.prefetch;
    if (prefetch.value.empty()) {
      settings.usageError =
          translate("the option --prefetch needs train numbers, or the setting prefetch");
    } else if (!prefetch.problem.empty()) {
      settings.usageError = formatMessage(translate("the setting prefetch = {0} ({1}) {2}"),
                                          {prefetch.value, originText(prefetch), prefetch.problem});
    } else {
      readTrainList(prefetch.value, trains);
    }
  }
  if (!settings.usageError.empty()) {
    error(usageErrorText(settings.usageError));
    return 2;
  }
  if (!settings.errors.empty()) throw std::runtime_error(settings.errors.front());
  startServiceRequests(settings);
  return runPrefetch(trains);
}

int run(const CommandLine& line) {
  if (line.help) {
    writeConsoleText(stdout, usageText());
  } else if (line.version) {
    writeConsoleText(stdout, kVersionText);
  } else if (line.listPrinters) {
    listPrinters();
  } else if (line.check) {
    return runConnectionCheck(line);
  } else if (line.reprint) {
    return runReprint(line);
  } else if (line.prefetch) {
    return prefetchTrains(line);
  } else {
    // Read once, before anything is asked: a bad setting ends the run before the first prompt.
    ServiceSettings settings = readServiceSettings(line.service);
    const DestinationRequest request = chooseDestinationRequest(line, settings);
    checkOfflineSettings(settings);
    logServiceSettings(settings);
    if (!settings.usageError.empty()) {
      error(usageErrorText(settings.usageError));
      return 2;
    }
    if (line.settings) return runSettingsReport(settings);
    if (!settings.errors.empty()) throw std::runtime_error(settings.errors.front());
    const Destination destination = chooseDestination(request);
    startServiceRequests(settings);
    const std::string proxy = describeProxyChoice(settings, serviceProxy());
    logLine(proxy.substr(0, proxy.find('\n')));
    runPrintJob(destination, offlineHoursOf(settings));
    noticeLostDialogue();
  }
  return 0;
}

// Runs what the command line asks for; a failure is reported as one error line.
int runReporting(const CommandLine& line) {
  int status = 1;
  setRetryNotifier(showRetryNotice);
  try {
    status = run(line);
    const bool dialogue = !(line.help || line.version || line.listPrinters || line.check ||
                            line.settings || line.prefetch);
    if (!dialogue) status = withAnswerWritten(status);
  } catch (const RequestFailed& failed) {
    error(requestFailureText(failed.failure,
                             line.startMenu ? StartedFrom::kStartMenu : StartedFrom::kCommandLine));
  } catch (const std::exception& failure) {
    error(failure.what());
  }
  endServiceRequests();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread starts: a Ctrl+C cancels an open print job and removes a file not
  // yet in place.
  startInterruptHandling();
  startTranslation();
  const std::vector<std::string> arguments = commandLineArguments(argc, argv);
  logRunStart(arguments);
  CommandLine line;
  const std::string usageError = parseCommandLine(arguments, line);
  setStartedFromMenu(line.startMenu);
  int status = 2;
  if (usageError.empty()) {
    status = runReporting(line);
  } else {
    error(usageErrorText(usageError));
  }
  logLine("ended with exit status " + std::to_string(status));
  // A window opened for the program alone (a shortcut, a double click) waits for Enter after a
  // usage error too, else the error would vanish before it could be read.
  holdOwnConsoleWindow();
  return status;
}
