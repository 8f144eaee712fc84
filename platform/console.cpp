#include "platform/console.h"

#include <iostream>

std::string readWord() {
  std::string word;
  std::cin >> word;
  return word;
}
