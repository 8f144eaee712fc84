#include "platform/console.h"

#include <cerrno>
#include <iostream>

#include "platform/console_system.h"
#include "platform/interrupt.h"

namespace {

int outputError = 0;
bool outputClosed = false;

}  // namespace

std::vector<std::string> reopenClosedStandardStreams() {
  const char* const kNames[] = {"standard input", "standard output", "standard error"};
  std::vector<std::string> closed;
  for (int descriptor = 0; descriptor < 3; ++descriptor) {
    // In this order, so that the null device opened onto one takes that one's number.
    if (!openNullDeviceIfClosed(descriptor)) continue;
    closed.push_back(kNames[descriptor]);
    if (descriptor == 1) {
      outputClosed = true;
      outputError = EBADF;
    }
  }
  return closed;
}

bool writeConsoleText(std::FILE* stream, const std::string& text) {
  std::cout.flush();
  // What goes to the null device in a closed standard output's place is not written.
  if (stream == stdout && outputClosed) return false;
  errno = 0;
  const bool whole = writeConsoleBytes(stream, text);
  if (!whole && stream == stdout && outputError == 0) outputError = errno != 0 ? errno : EIO;
  return whole;
}

int standardOutputError() { return outputError; }

std::string readWord() {
  std::string word;
  if (!(std::cin >> word)) awaitInterruptAtEndOfInput();
  return word;
}
