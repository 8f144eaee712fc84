#include "driver/destination_request.h"

#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/translation.h"

DestinationRequest destinationRequestOf(const CommandLine& line) {
  DestinationRequest request;
  request.outputFile = line.output;
  request.printer = line.printer;
  request.drawn = line.drawn;
  request.view = line.view;
  // Most users have no dot-matrix printer at LPT1: when the printer they did not choose cannot
  // be opened, the error shows the way to one they have. {0} is the printer, {1} the reason.
  if (line.startMenu) {
    // An entry that prints on LPT1 came here: the form's or the reprint's with the destination
    // setting LPT1, or a twin that names LPT1. The way is the screen's entry and the setting.
    request.printerDeviceAdvice = formatMessage(
        translate("cannot open the printer {0} ({1}); without a dot-matrix printer on LPT1, use "
                  "\"{2}\" in the Start menu to see the form on screen, and ask the IT department "
                  "to set the destination to drawn, the default printer"),
        {"{0}", "{1}", kScreenMenuEntry});
    // There is no command line to name a printer on: the spooler's own words suffice.
  } else {
    request.printerDeviceAdvice = translate(
        "cannot open the printer {0} ({1}); without a dot-matrix printer on LPT1, start the "
        "program with its option --drawn to print on the default printer (timetable-print --help "
        "lists the options)");
    request.unknownPrinterError = translate(
        "the print spooler has no printer {0}; the program's option --list-printers shows "
        "the printers");
    request.noDefaultPrinterError = translate(
        "the print spooler has no default printer; choose a default printer in the system's "
        "printer settings, or name one with the program's option --printer (--list-printers "
        "shows the printers)");
  }
  return request;
}
