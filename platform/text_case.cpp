#include "platform/text_case.h"

#include <algorithm>

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && lowerCase(a) == lowerCase(b);
}
