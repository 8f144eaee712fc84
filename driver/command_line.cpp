#include "driver/command_line.h"

#include "platform/command_options.h"
#include "platform/translation.h"
#include "service/service_settings.h"

std::string usageText() {
  return translate(
      "usage: timetable-print [-o FILE [--view] | -p PRINTER | --drawn [-p PRINTER] | --view]\n"
      "                       [--service HOST[:PORT]]\n"
      "       timetable-print --list-printers\n"
      "       timetable-print --settings [--service HOST[:PORT]]\n"
      "Asks for a train number, fetches the train's timetable, asks for the locomotives and the\n"
      "maximum speed, and prints the timetable form on the printer at LPT1.\n"
      "\n"
      "  -o, --output FILE     write the form to FILE instead of LPT1: FILE.pdf, FILE.png or\n"
      "                        FILE.svg shows it as the printer prints it (a name holding %d,\n"
      "                        such as form-%d.png, gets one file per page); any other name\n"
      "                        gets the printer's bytes\n"
      "  -p, --printer NAME    send the form as one raw job to the spooler's printer NAME: for\n"
      "                        a dot-matrix printer, which prints it in its own fonts, fast\n"
      "      --drawn           print the form drawn as pages, as FILE.pdf shows it, on the\n"
      "                        spooler's default printer, or on NAME with --printer: for any\n"
      "                        other printer (laser, inkjet)\n"
      "      --view            show the drawn form on screen: a PDF in the temporary folder, or\n"
      "                        FILE with -o, opened with the desktop's viewer\n"
      "      --list-printers   list the spooler's printers, the default one marked\n"
      "      --service HOST[:PORT]\n"
      "                        use the timetable service at HOST (port 9640 unless given) for\n"
      "                        this run, instead of the service setting\n"
      "      --settings        show the settings (service, ca-file), where each came from, and\n"
      "                        what the service's certificate is checked against\n"
      "  -h, --help            show this text\n"
      "      --version         show the program's version\n");
}

const char kVersionText[] = "timetable-print " TIMETABLE_VERSION "\n";

namespace {

enum LongOnlyOption {
  kListPrintersOption = 256,
  kVersionOption,
  kDrawnOption,
  kViewOption,
  kServiceOption,
  kSettingsOption,
  kStartMenuOption
};

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"printer", required_argument, nullptr, 'p'},
    {"drawn", no_argument, nullptr, kDrawnOption},
    {"view", no_argument, nullptr, kViewOption},
    {"list-printers", no_argument, nullptr, kListPrintersOption},
    {"service", required_argument, nullptr, kServiceOption},
    {"settings", no_argument, nullptr, kSettingsOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    {"start-menu", no_argument, nullptr, kStartMenuOption},
    {nullptr, 0, nullptr, 0},
};

// Takes one option into the command line.
std::string takeOption(int option, const std::string& argument, CommandLine& line) {
  switch (option) {
    case 'o':
      line.output = argument;
      if (argument.empty()) return translate("the option -o needs a file name");
      break;
    case 'p':
      line.printer = argument;
      if (argument.empty()) return translate("the option --printer needs a printer name");
      break;
    case kDrawnOption:
      line.drawn = true;
      break;
    case kViewOption:
      line.view = true;
      break;
    case kListPrintersOption:
      line.listPrinters = true;
      break;
    case kServiceOption: {
      line.service = argument;
      std::string host;
      int port = 0;
      const std::string reason = readServiceAddress(argument, host, port);
      if (!reason.empty()) {
        return formatMessage(translate("the option --service \"{0}\" {1}; give HOST or "
                                       "HOST:PORT, an IPv6 address in brackets"),
                             {argument, reason});
      }
      break;
    }
    case kSettingsOption:
      line.settings = true;
      break;
    case 'h':
      line.help = true;
      break;
    case kVersionOption:
      line.version = true;
      break;
    case kStartMenuOption:
      line.startMenu = true;
      break;
  }
  return std::string();
}

// The text of a usage error for options that ask for two places at once, or empty.
std::string conflictOf(const CommandLine& line) {
  const bool file = !line.output.empty();
  const bool spooler = !line.printer.empty();
  if (line.listPrinters && (file || spooler || line.drawn || line.view)) {
    return translate(
        "the option --list-printers cannot be used with -o, --printer, --drawn or --view");
  }
  if (line.settings && (file || spooler || line.drawn || line.view || line.listPrinters)) {
    return translate(
        "the option --settings cannot be used with -o, --printer, --drawn, --view or "
        "--list-printers");
  }
  if (file && spooler) return translate("the options -o and --printer cannot be used together");
  if (file && line.drawn) return translate("the options -o and --drawn cannot be used together");
  if (line.view && (spooler || line.drawn)) {
    return translate("the option --view cannot be used with --printer or --drawn");
  }
  return std::string();
}

}  // namespace

std::string parseCommandLine(const std::vector<std::string>& arguments, CommandLine& line) {
  std::vector<std::string> operands;
  const std::string error = readCommandOptions(
      arguments, "ho:p:", kOptions,
      [&line](int option, const std::string& argument) {
        return takeOption(option, argument, line);
      },
      operands);
  if (!error.empty()) return error;
  if (!operands.empty())
    return formatMessage(translate("unexpected argument \"{0}\""), {operands.front()});
  return conflictOf(line);
}
