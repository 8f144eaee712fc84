#ifndef TIMETABLE_PLATFORM_XDG_BASE_POSIX_H_
#define TIMETABLE_PLATFORM_XDG_BASE_POSIX_H_

#include <string>

// The program's folder under one of the XDG base directories: $variable/timetable-print, where
// $variable falls back to $HOME/underHome when it is not set or not an absolute path (as the
// XDG rules ask, so that a relative value cannot point into the working folder). Empty without
// either.
std::string xdgProgramFolder(const char* variable, const char* underHome);

#endif  // TIMETABLE_PLATFORM_XDG_BASE_POSIX_H_
