// UTF-8 decoding through the system's own converter, which yields UTF-16.
#include <windows.h>

#include <climits>
#include <stdexcept>

#include "driver/utf8.h"

std::wstring utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  if (text.size() > static_cast<size_t>(INT_MAX)) throw std::length_error("text too long");
  const int size = static_cast<int>(text.size());
  const int count = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(count), L'\0');
  if (count > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &result[0], count);
  return result;
}
