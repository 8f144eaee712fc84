#ifndef TIMETABLE_PLATFORM_CONSOLE_WIN32_H_
#define TIMETABLE_PLATFORM_CONSOLE_WIN32_H_

#include <windows.h>

#include <cstdio>
#include <string>

// Writes UTF-8 text to file, whose system handle is handle. A console gets it as wide characters
// through WriteConsoleW, so that every letter shows whatever the console's code page; a file or
// a pipe gets the UTF-8 bytes through the C runtime, as the rest of the stream's text. False when
// not all of it could be written.
bool writeTextTo(HANDLE handle, std::FILE* file, const std::string& text);

// Whether standard input is a console, rather than a file or a pipe.
bool inputIsConsole();

#endif  // TIMETABLE_PLATFORM_CONSOLE_WIN32_H_
