// glibc fixes a stream's orientation at its first use, so a wide read from standard input after
// the narrow read of the train number would fail. The word is read narrow and decoded instead.

#include <cerrno>
#include <iostream>

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

// A terminal takes UTF-8 as it is.
namespace {

int outputError = 0;

}  // namespace

bool writeConsoleText(std::FILE* stream, const std::string& text) {
  std::cout.flush();
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  const bool whole = std::fflush(stream) == 0 && written;
  if (!whole && stream == stdout && outputError == 0) outputError = errno != 0 ? errno : EIO;
  return whole;
}

int standardOutputError() { return outputError; }
