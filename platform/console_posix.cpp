// glibc fixes a stream's orientation at its first use, so a wide read from standard input after
// the narrow read of the train number would fail. The word is read narrow and decoded instead.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console.h"
#include "platform/console_system.h"
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

bool openNullDeviceIfClosed(int descriptor) {
  if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) return false;
  const int opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
  // The lowest free number is taken, which is this one when those below it are open.
  if (opened >= 0 && opened != descriptor) {
    dup2(opened, descriptor);
    close(opened);
  }
  return true;
}

// A terminal takes UTF-8 as it is.
bool writeConsoleBytes(std::FILE* stream, const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  return std::fflush(stream) == 0 && written;
}
