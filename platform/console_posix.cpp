// glibc fixes a stream's orientation at its first use, so a wide read from standard input after
// the narrow read of the train number would fail. The word is read narrow and decoded instead.

#include "platform/console.h"
#include "platform/utf8.h"

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::wstring readWideWord() {
  const std::string word = readWord();
  return utf8ToWide(word);
}

// A terminal window belongs to the shell that runs the program.
void holdOwnConsoleWindow() {}
