#include "driver/command_line.h"

#include "driver/kept_forms.h"
#include "driver/train_number.h"
#include "platform/command_options.h"
#include "platform/messages.h"
#include "platform/translation.h"
#include "service/service_settings.h"

std::string usageText() {
  const char* text = translate(
      "usage: timetable-print [-o FILE [--view] | -p PRINTER | --view |\n"
      "                        --drawn [-p PRINTER]] [--service HOST[:PORT]]\n"
      "       timetable-print --list-printers\n"
      "       timetable-print --settings [--service HOST[:PORT]]\n"
      "       timetable-print --check [-o FILE | -p PRINTER | --drawn [-p PRINTER]]\n"
      "                       [--service HOST[:PORT]]\n"
      "       timetable-print --reprint [N] [-o FILE | -p PRINTER | --drawn | --view]\n"
      "       timetable-print --reprint --list\n"
      "       timetable-print --prefetch [TRAIN ...] [--service HOST[:PORT]]\n"
      "Asks for a train number, fetches the train's timetable, asks for the\n"
      "locomotives and the maximum speed, and prints the timetable form on the\n"
      "printer at LPT1, or where the destination setting says.\n"
      "\n"
      "  -o, --output FILE     write the form to FILE instead of LPT1: FILE.pdf,\n"
      "                        FILE.png or FILE.svg shows it as the printer prints\n"
      "                        it (a name holding %d, such as form-%d.png, gets one\n"
      "                        file per page); any other name gets the printer's\n"
      "                        bytes\n"
      "  -p, --printer NAME    send the form as one raw job to the spooler's printer\n"
      "                        NAME: for a dot-matrix printer, which prints it in\n"
      "                        its own fonts, fast\n"
      "      --drawn           print the form drawn as pages, as FILE.pdf shows it,\n"
      "                        on the spooler's default printer, or on NAME with\n"
      "                        --printer: for any other printer (laser, inkjet)\n"
      "      --view            show the drawn form on screen: a PDF in the temporary\n"
      "                        folder, or FILE with -o, opened with the desktop's\n"
      "                        viewer\n"
      "      --list-printers   list the spooler's printers, the default one marked\n"
      "      --service HOST[:PORT]\n"
      "                        use the timetable service at HOST (port {0} unless\n"
      "                        given) for this run, instead of the service setting\n"
      "      --settings        show the settings (service, ca-file, proxy,\n"
      "                        destination), where each came from, what the\n"
      "                        service's certificate is checked against, and the\n"
      "                        proxy for the service\n"
      "      --check           check what a run needs, step by step, without asking\n"
      "                        or printing anything: the settings, the service's\n"
      "                        name, the proxy, the connection, its certificate, an\n"
      "                        answer of the service, and the printer or file that\n"
      "                        -o, --printer or --drawn name, else the destination\n"
      "                        setting's\n"
      "      --reprint [N]     print the last form printed whole again, or the\n"
      "                        N-th from the last, as it was, without asking or\n"
      "                        fetching anything; a form fetched over {1} hours ago\n"
      "                        is refused\n"
      "      --list            with --reprint: list the kept forms\n"
      "      --prefetch [TRAIN ...]\n"
      "                        fetch the trains' timetables now, or those of the\n"
      "                        prefetch setting, and keep them as copies for when\n"
      "                        the service cannot be used (the offline setting):\n"
      "                        the machine's copies when run as root, else the\n"
      "                        user's\n"
      "  -h, --help            show this text\n"
      "      --version         show the program's version\n");
  return formatMessage(text, {std::to_string(kDefaultServicePort), std::to_string(kKeptFormHours)});
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
  kListOption,
  kPrefetchOption
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
    {"prefetch", no_argument, nullptr, kPrefetchOption},
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
      // Checked with the settings, as the service setting is, in one place; but an empty value
      // would silently mean the setting's own, which the user did not ask for.
      line.service = argument;
      if (argument.empty()) return translate("the option --service needs a host");
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
    case kPrefetchOption:
      line.prefetch = true;
      break;
  }
  return std::string();
}

// The text of a usage error for options that ask for two places at once, or empty.
std::string conflictOf(const CommandLine& line) {
  const bool file = !line.output.empty();
  const bool spooler = !line.printer.empty();
  if (line.list && !line.reprint) return translate("the option --list needs --reprint");
  if (line.prefetch && (line.reprint || line.check || line.settings || line.listPrinters || file ||
                        spooler || line.drawn || line.view)) {
    return translate(
        "the option --prefetch cannot be used with --reprint, --check, --settings, "
        "--list-printers, -o, --printer, --drawn or --view");
  }
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

std::string usageErrorText(const std::string& error) {
  return formatMessage(translate("{0} (timetable-print --help shows the usage)"), {error});
}

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
      return formatMessage(
          translate("{0} is not the number of a kept form, such as 1 for the last one"),
          {quoted(word)});
    }
    line.reprintNumber = word[0] - '0';
    operands.clear();
  }
  // --prefetch's trains, each a train number.
  if (line.prefetch) {
    for (const std::string& word : operands) {
      if (!isTrainNumber(word)) {
        return formatMessage(translate("{0} is not a train number, such as 5410"), {quoted(word)});
      }
    }
    line.trains = operands;
    operands.clear();
  }
  if (!operands.empty())
    return formatMessage(translate("unexpected argument {0}"), {quoted(operands.front())});
  return conflictOf(line);
}
