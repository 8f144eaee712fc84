// glibc fixes a stream's orientation at its first use, so a wide read from standard input after
// the narrow read of the train number would fail. The word is read narrow and decoded instead.
#include <iostream>

#include "driver/console.h"
#include "driver/utf8.h"

std::wstring readWideWord() {
  std::string word;
  std::cin >> word;
  return utf8ToWide(word);
}
