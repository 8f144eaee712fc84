#ifndef TIMETABLE_PLATFORM_WIDE_TEXT_WIN32_H_
#define TIMETABLE_PLATFORM_WIDE_TEXT_WIN32_H_

#include <windows.h>

#include <string>

// Converts bytes in the given Windows code page into wide text with MultiByteToWideChar: one
// pass for the length, one for the characters.
std::wstring wideFromCodePage(const std::string& bytes, UINT codePage);

// Converts wide text from the system into UTF-8 with WideCharToMultiByte.
std::string utf8FromWide(const std::wstring& text);

// The system's message for an error code, as one line of UTF-8, with its number.
std::string systemMessage(DWORD error);

#endif  // TIMETABLE_PLATFORM_WIDE_TEXT_WIN32_H_
