#ifndef TIMETABLE_PLATFORM_COMMAND_OPTIONS_H_
#define TIMETABLE_PLATFORM_COMMAND_OPTIONS_H_

#include <getopt.h>

#include <functional>
#include <string>
#include <vector>

// Takes one option found on the command line with its argument (empty for an option that takes
// none). Returns the text of a usage error, or an empty text when the option is understood.
using OptionTaker = std::function<std::string(int option, const std::string& argument)>;

// Reads the arguments that follow the program's name with getopt_long: the options in the
// order given, each handed to take, and the other words, in order, into operands. Returns the
// first usage error, one line naming the word at fault (an unknown option, an option missing
// its argument, an argument given to an option that takes none, or take's own), or an empty
// text when the line was understood.
std::string readCommandOptions(const std::vector<std::string>& arguments, const char* shortOptions,
                               const option* longOptions, const OptionTaker& take,
                               std::vector<std::string>& operands);

#endif  // TIMETABLE_PLATFORM_COMMAND_OPTIONS_H_
