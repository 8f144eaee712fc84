#include <iostream>

#include "driver/console.h"

std::wstring readWideWord() {
  std::wstring word;
  std::wcin >> word;
  return word;
}
