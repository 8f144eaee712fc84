// UTF-8 decoding and encoding through the system's own converter, which works in UTF-16.
#include <algorithm>
#include <climits>
#include <stdexcept>

#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

std::wstring wideFromCodePage(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) throw std::length_error("text too long");
  const int size = static_cast<int>(bytes.size());
  const int count = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring result(static_cast<size_t>(count), L'\0');
  if (count > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, &result[0], count);
  return result;
}

std::string utf8FromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  if (text.size() > static_cast<size_t>(INT_MAX)) throw std::length_error("text too long");
  const int size = static_cast<int>(text.size());
  const int count =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(count), '\0');
  if (count > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &result[0], count, nullptr, nullptr);
  return result;
}

std::string systemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  std::replace_if(
      message.begin(), message.end(), [](wchar_t character) { return character < L' '; }, L' ');
  while (!message.empty() && (message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  // TRANSLATORS: a Windows error's number, after its text or in its place.
  const std::string number = formatMessage(translate("error {0}"), {std::to_string(error)});
  return message.empty() ? number : utf8FromWide(message) + " (" + number + ")";
}

std::wstring utf8ToWide(const std::string& text) { return wideFromCodePage(text, CP_UTF8); }

std::string wideToUtf8(const std::wstring& text) { return utf8FromWide(text); }
