// The words typed at the prompts arrive as bytes: from a console in the console's input code
// page, from a pipe or a file as UTF-8. The runtime's wide input would widen them byte by byte,
// so they are read narrow and decoded here, which also keeps the words in the one buffer the
// train number was read from.
#include <windows.h>

#include <climits>
#include <iostream>
#include <stdexcept>

#include "driver/console.h"

namespace {

std::wstring decode(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) throw std::length_error("word too long");
  const int size = static_cast<int>(bytes.size());
  const int count = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring word(static_cast<size_t>(count), L'\0');
  if (count > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, &word[0], count);
  return word;
}

bool inputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

std::wstring readWideWord() {
  std::string word;
  std::cin >> word;
  return decode(word, inputIsConsole() ? GetConsoleCP() : CP_UTF8);
}
