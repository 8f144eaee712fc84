#include <windows.h>

#include "preview/terminal.h"

// A console shows the bold sequences only where it interprets them (Windows 10 and later); an
// older one would print them as characters, so it gets the page without them. A file, a pipe or
// the NUL device is no console.
bool standardOutputIsTerminal() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(output, &mode)) return false;
  return SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
