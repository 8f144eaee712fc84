#include "platform/command_options.h"

#include "platform/translation.h"

namespace {

// The word getopt_long stopped at: a short option of a group by its letter, a long one as typed.
std::string offendingWord(char* const* argv, int option) {
  const std::string word = argv[optind - 1];
  if (option != 0 && word.compare(0, 2, "--") != 0) return std::string("-") + char(option);
  return word;
}

bool isLongOption(const std::string& word) { return word.compare(0, 2, "--") == 0; }

// The usage error of what getopt_long returned as ':' (an argument missing) or '?' (an unknown
// option, or an argument given to a long option that takes none). mingw's getopt_long returns
// ':' for the last as well, so a long option with "=" is told by its word.
std::string usageErrorAt(char* const* argv, int option) {
  const std::string word = offendingWord(argv, optopt);
  const size_t equals = word.find('=');
  const bool known = option == ':' || optopt != 0;
  if (known && isLongOption(word) && equals != std::string::npos) {
    return formatMessage(translate("the option {0} takes no argument"), {word.substr(0, equals)});
  }
  if (option == ':') return formatMessage(translate("the option {0} needs an argument"), {word});
  return formatMessage(translate("unknown option {0}"), {word});
}

}  // namespace

std::string readCommandOptions(const std::vector<std::string>& arguments, const char* shortOptions,
                               const option* longOptions, const OptionTaker& take,
                               std::vector<std::string>& operands) {
  // getopt_long wants a C argument vector, which it may reorder, with the program's name first.
  std::vector<std::string> words = arguments;
  words.insert(words.begin(), "program");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  char** args = argv.data();
  const int argc = static_cast<int>(words.size());
  // A leading ":" tells a missing argument apart from an unknown option.
  const std::string optionLetters = std::string(":") + shortOptions;

  optind = 0;  // Starts getopt_long afresh, whatever parsed before.
  opterr = 0;  // Errors are reported by the caller, in the program's own words.
  int option;
  while ((option = getopt_long(argc, args, optionLetters.c_str(), longOptions, nullptr)) != -1) {
    if (option == ':' || option == '?') return usageErrorAt(args, option);
    const std::string error = take(option, optarg ? optarg : "");
    if (!error.empty()) return error;
  }
  operands.assign(args + optind, args + argc);
  return std::string();
}
