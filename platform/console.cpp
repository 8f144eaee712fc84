#include "platform/console.h"

#include <iostream>

#include "platform/interrupt.h"

std::string readWord() {
  std::string word;
  if (!(std::cin >> word)) awaitInterruptAtEndOfInput();
  return word;
}
