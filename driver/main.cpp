// timetable-print: prints a train driver's timetable form on the printer at LPT1, or where the
// command line says.
#include <exception>
#include <iostream>
#include <string>

#include "driver/command_line.h"
#include "driver/print_job.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "printer/destination.h"
#include "printer/spooler.h"
#include "service/service_request.h"

namespace {

void listPrinters() {
  for (const SpoolPrinter& printer : listSpoolPrinters()) {
    std::cout << printer.name << (printer.isDefault ? " (default)" : "") << "\n";
  }
  std::cout << std::flush;
}

// Standard output only shows the dialogue, so a reader of it that went away (as head does) does
// not stop the form: the writes to it fail and the run goes on. Once the form is done, this is
// said where it can still be read.
void noticeLostDialogue() {
  std::cout.flush();
  if (std::cout.bad()) {
    notice(
        "the dialogue could not be shown to its end, as standard output was closed; the form "
        "was finished all the same");
  }
}

int run(const CommandLine& line) {
  if (line.help) {
    std::cout << kUsageText << std::flush;
  } else if (line.version) {
    std::cout << kVersionText << std::flush;
  } else if (line.listPrinters) {
    listPrinters();
  } else {
    runPrintJob(chooseDestination({line.output, line.printer, line.drawn, line.view}));
    noticeLostDialogue();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread starts: a Ctrl+C cancels an open print job and removes a file not
  // yet in place.
  startInterruptHandling();
  CommandLine line;
  const std::string usageError = parseCommandLine(commandLineArguments(argc, argv), line);
  if (!usageError.empty()) {
    error(usageError + " (timetable-print --help shows the usage)");
    return 2;
  }
  startServiceRequests();
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
