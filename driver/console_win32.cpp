// The words typed at the prompts arrive as bytes: from a console in the console's input code
// page, from a pipe or a file as UTF-8. The runtime's wide input would widen them byte by byte,
// so they are read narrow and decoded here, which also keeps the words in the one buffer the
// train number was read from.
#include <iostream>

#include "driver/console.h"
#include "driver/wide_text_win32.h"

namespace {

bool inputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

std::wstring readWideWord() {
  std::string word;
  std::cin >> word;
  return wideFromCodePage(word, inputIsConsole() ? GetConsoleCP() : CP_UTF8);
}
