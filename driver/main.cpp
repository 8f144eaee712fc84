// timetable-print: prints a train driver's timetable form on the printer at LPT1, or where the
// command line says.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "driver/command_line.h"
#include "driver/print_job.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/translation.h"
#include "printer/destination.h"
#include "printer/spooler.h"
#include "service/service_request.h"
#include "service/service_settings.h"

namespace {

void listPrinters() {
  std::string list;
  for (const SpoolPrinter& printer : listSpoolPrinters()) {
    list += printer.name + (printer.isDefault ? translate(" (default)") : "") + "\n";
  }
  writeConsoleText(stdout, list);
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

int run(const CommandLine& line) {
  if (line.help) {
    writeConsoleText(stdout, usageText());
  } else if (line.version) {
    writeConsoleText(stdout, kVersionText);
  } else if (line.listPrinters) {
    listPrinters();
  } else {
    // Read once, before anything is asked: a bad setting ends the run before the first prompt.
    const ServiceSettings settings = readServiceSettings(line.service);
    if (line.settings) {
      writeConsoleText(stdout, describeServiceSettings(settings));
      return 0;
    }
    const Destination destination =
        chooseDestination({line.output, line.printer, line.drawn, line.view});
    startServiceRequests(settings);
    runPrintJob(destination);
    noticeLostDialogue();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread starts: a Ctrl+C cancels an open print job and removes a file not
  // yet in place.
  startInterruptHandling();
  startTranslation();
  CommandLine line;
  const std::string usageError = parseCommandLine(commandLineArguments(argc, argv), line);
  if (!usageError.empty()) {
    error(formatMessage(translate("{0} (timetable-print --help shows the usage)"), {usageError}));
    return 2;
  }
  setStartedFromMenu(line.startMenu);
  int status = 1;
  try {
    status = run(line);
  } catch (const std::exception& failure) {
    error(failure.what());
  }
  endServiceRequests();
  holdOwnConsoleWindow();
  return status;
}
