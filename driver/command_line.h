#ifndef TIMETABLE_DRIVER_COMMAND_LINE_H_
#define TIMETABLE_DRIVER_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "printer/destination.h"

// What the command line asks for. With no arguments the form goes to the printer at LPT1.
struct CommandLine {
  std::string output;     // -o FILE: a file (or a device) instead of the printer.
  std::string printer;    // -p NAME: a printer of the system's spooler instead.
  bool drawn = false;     // --drawn: the form drawn as pages, for a printer of any kind.
  bool view = false;      // --view: the drawn form shown on screen.
  std::string service;    // --service HOST[:PORT]: the service for this run.
  bool settings = false;  // --settings: show the settings and where they came from.
  bool check = false;     // --check: check what a run needs, and print nothing.
  bool listPrinters = false;
  bool help = false;
  bool version = false;
  bool reprint = false;  // --reprint [N]: a kept form again, N-th from the last (1).
  int reprintNumber = 1;
  bool list = false;      // --list, with --reprint: show the kept forms.
  bool prefetch = false;  // --prefetch [TRAIN ...]: keep copies of the trains' timetables.
  std::vector<std::string> trains;  // The trains --prefetch names, as typed.
  bool startMenu = false;           // --start-menu: started from a Start-menu entry; not in --help.
};

// The text of --help, in the user's language.
std::string usageText();
extern const char kVersionText[];

// Reads the arguments that follow the program's name. Returns the text of a usage error, one
// line naming the word at fault, or an empty text when the line was understood.
std::string parseCommandLine(const std::vector<std::string>& arguments, CommandLine& line);

// The line that reports a usage error (exit status 2): the error and where the usage is shown.
std::string usageErrorText(const std::string& error);

#endif  // TIMETABLE_DRIVER_COMMAND_LINE_H_
