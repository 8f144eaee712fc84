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
#include "service/service_settings.h"

namespace {

void listPrinters() {
  for (const SpoolPrinter& printer : listSpoolPrinters()) {
    std::cout << printer.name << (printer.isDefault ? " (default)" : "") << "\n";
  }
  std::cout << std::flush;
}

int run(const CommandLine& line) {
  if (line.help) {
    std::cout << kUsageText << std::flush;
  } else if (line.version) {
    std::cout << kVersionText << std::flush;
  } else if (line.listPrinters) {
    listPrinters();
  } else {
    // Read once, before anything is asked: a bad setting ends the run before the first prompt.
    const ServiceSettings settings = readServiceSettings(line.service);
    if (line.settings) {
      std::cout << describeServiceSettings(settings) << std::flush;
      return 0;
    }
    const Destination destination =
        chooseDestination({line.output, line.printer, line.drawn, line.view});
    startServiceRequests(settings);
    runPrintJob(destination);
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
