#ifndef TIMETABLE_PLATFORM_CONSOLE_SYSTEM_H_
#define TIMETABLE_PLATFORM_CONSOLE_SYSTEM_H_

#include <cstdio>
#include <string>

// What console.cpp asks of the system, in console_posix.cpp and console_win32.cpp.

// Whether descriptor 0, 1 or 2 was closed; when it was, the null device is opened onto it.
bool openNullDeviceIfClosed(int descriptor);

// Writes UTF-8 text to stream, standard output or standard error, as the system's console takes
// it. False, with errno set where the system says why, when not all of it could be written.
bool writeConsoleBytes(std::FILE* stream, const std::string& text);

#endif  // TIMETABLE_PLATFORM_CONSOLE_SYSTEM_H_
