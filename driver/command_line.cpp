#include "driver/command_line.h"

#include <getopt.h>

const char kUsageText[] =
    "usage: timetable-print [-o FILE | -p PRINTER]\n"
    "       timetable-print --list-printers\n"
    "Asks for a train number, fetches the train's timetable, asks for the locomotives and the\n"
    "maximum speed, and prints the timetable form on the printer at LPT1.\n"
    "\n"
    "  -o, --output FILE     write the form to FILE instead of LPT1: FILE.pdf, FILE.png or\n"
    "                        FILE.svg shows it as the printer prints it (a name holding %d,\n"
    "                        such as form-%d.png, gets one file per page); any other name\n"
    "                        gets the printer's bytes\n"
    "  -p, --printer NAME    send the form as one raw job to the spooler's printer NAME\n"
    "      --list-printers   list the spooler's printers, the default one marked\n"
    "  -h, --help            show this text\n"
    "      --version         show the program's version\n";

const char kVersionText[] = "timetable-print " TIMETABLE_VERSION "\n";

namespace {

enum LongOnlyOption { kListPrintersOption = 256, kVersionOption };

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"printer", required_argument, nullptr, 'p'},
    {"list-printers", no_argument, nullptr, kListPrintersOption},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

// The word getopt_long stopped at: a short option of a cluster by its letter, a long one as
// typed.
std::string offendingWord(char* const* argv, int option) {
  const std::string word = argv[optind - 1];
  if (option != 0 && word.compare(0, 2, "--") != 0) return std::string("-") + char(option);
  return word;
}

}  // namespace

std::string parseCommandLine(const std::vector<std::string>& arguments, CommandLine& line) {
  std::vector<std::string> words = arguments;
  words.insert(words.begin(), "timetable-print");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  char** args = argv.data();
  const int argc = static_cast<int>(words.size());

  optind = 0;  // Starts getopt_long afresh, whatever parsed before.
  opterr = 0;  // Errors are reported here, in the program's own words.
  int option;
  while ((option = getopt_long(argc, args, ":ho:p:", kOptions, nullptr)) != -1) {
    switch (option) {
      case 'o':
        line.output = optarg;
        if (line.output.empty()) return "the option -o needs a file name";
        break;
      case 'p':
        line.printer = optarg;
        if (line.printer.empty()) return "the option --printer needs a printer name";
        break;
      case kListPrintersOption:
        line.listPrinters = true;
        break;
      case 'h':
        line.help = true;
        break;
      case kVersionOption:
        line.version = true;
        break;
      case ':':
        return "the option " + offendingWord(args, optopt) + " needs an argument";
      default: {
        const std::string word = offendingWord(args, optopt);
        if (optopt != 0 && word.compare(0, 2, "--") == 0) {
          return "the option " + word.substr(0, word.find('=')) + " takes no argument";
        }
        return "unknown option " + word;
      }
    }
  }
  if (optind < argc) return std::string("unexpected argument \"") + args[optind] + "\"";
  if (!line.output.empty() && !line.printer.empty()) {
    return "the options -o and --printer cannot be used together";
  }
  return std::string();
}
