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
      "       timetable-print --check [-o FILE | -p PRINTER | --drawn [-p PRINTER]]\n"
      "                       [--service HOST[:PORT]]\n"
      "       timetable-print --reprint [N] [-o FILE | -p PRINTER | --drawn | --view]\n"
      "       timetable-print --reprint --list\n"
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
      "      --settings        show the settings (service, ca-file, proxy), where each came\n"
      "                        from, what the service's certificate is checked against, and\n"
      "                        the proxy for the service\n"
      "      --check           check what a run needs, step by step, without asking or\n"
      "                        printing anything: the settings, the service's name, the proxy,\n"
      "                        the connection, its certificate, an answer of the service, and\n"
      "                        the printer or file that -o, --printer or --drawn name\n"
      "      --reprint [N]     print the last form printed whole again, or the\n"
      "                        N-th from the last, as it was, without asking or\n"
      "                        fetching anything; a form fetched over 12 hours ago\n"
      "                        is refused\n"
      "      --list            with --reprint: list the kept forms\n"
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
  kCheckOption,
  kStartMenuOption,
  kReprintOption,
  kListOption
};

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"printer", required_argument, nullptr, 'p'},
    {"drawn", no_argument, nullptr, kDrawnOption},
    {"view", no_argument, nullptr, kViewOption},
    {"list-printers", no_argument, nullptr, kListPrintersOption},
    {"service", required_argument, nullptr, kServiceOption},
    {"settings", no_argument, nullptr, kSettingsOption},
    {"check", no_argument, nullptr, kCheckOption},
    {"reprint", no_argument, nullptr, kReprintOption},
    {"list", no_argument, nullptr, kListOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    // Undocumented: every Start-menu shortcut passes it.
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
    case kServiceOption:
      // Checked with the settings, as the service setting is, in one place.
      line.service = argument;
      break;
    case kSettingsOption:
      line.settings = true;
      break;
    case kCheckOption:
      line.check = true;
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
    case kReprintOption:
      line.reprint = true;
      break;
    case kListOption:
      line.list = true;
      break;
  }
  return std::string();
}

// The text of a usage error for options that ask for two places at once, or empty.
std::string conflictOf(const CommandLine& line) {
  const bool file = !line.output.empty();
  const bool spooler = !line.printer.empty();
  if (line.list && !line.reprint) return translate("the option --list needs --reprint");
  if (line.reprint && (line.check || line.settings || line.listPrinters || !line.service.empty())) {
    return translate(
        "the option --reprint cannot be used with --check, --settings, --list-printers or "
        "--service");
  }
  if (line.list && (file || spooler || line.drawn || line.view)) {
    return translate("the option --list cannot be used with -o, --printer, --drawn or --view");
  }
  if (line.listPrinters && (file || spooler || line.drawn || line.view)) {
    return translate(
        "the option --list-printers cannot be used with -o, --printer, --drawn or --view");
  }
  if (line.settings && (file || spooler || line.drawn || line.view || line.listPrinters)) {
    return translate(
        "the option --settings cannot be used with -o, --printer, --drawn, --view or "
        "--list-printers");
  }
  if (line.check && (line.view || line.listPrinters || line.settings)) {
    return translate(
        "the option --check cannot be used with --view, --list-printers or --settings");
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
  // --reprint's number: one word of digits, from 1 to the forms kept.
  if (line.reprint && !line.list && operands.size() == 1) {
    const std::string& word = operands.front();
    if (word.size() != 1 || word[0] < '1' || word[0] > '9') {
      return formatMessage(translate("\"{0}\" is not the number of a kept form, such as 1 for the "
                                     "last one"),
                           {word});
    }
    line.reprintNumber = word[0] - '0';
    operands.clear();
  }
  if (!operands.empty())
    return formatMessage(translate("unexpected argument \"{0}\""), {operands.front()});
  return conflictOf(line);
}
