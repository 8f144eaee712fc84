#include "platform/console.h"

#include <cerrno>
#include <iomanip>
#include <iostream>
#include <locale>
#include <string>

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

const size_t kMaxTypedWordBytes = 64;

std::string readWord() {
  std::string word;
  // One byte more than is kept tells a word that is longer.
  if (!(std::cin >> std::setw(kMaxTypedWordBytes + 1) >> word)) {
    awaitInterruptAtEndOfInput();
    return word;
  }
  if (word.size() <= kMaxTypedWordBytes) return word;
  // The rest of a longer word is no answer to the next prompt: it is read and left out.
  for (int next = std::cin.peek(); next != std::char_traits<char>::eof() &&
                                   !std::isspace(static_cast<char>(next), std::cin.getloc());
       next = std::cin.peek()) {
    std::cin.get();
  }
  size_t kept = kMaxTypedWordBytes;
  // Not inside a character: its continuation bytes are 10xxxxxx.
  while (kept > 0 && (static_cast<unsigned char>(word[kept]) & 0xC0) == 0x80) --kept;
  word.resize(kept);
  return word;
}
