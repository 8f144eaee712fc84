#ifndef TIMETABLE_PLATFORM_XDG_FOLDER_POSIX_H_
#define TIMETABLE_PLATFORM_XDG_FOLDER_POSIX_H_

#include <string>

// A folder of the XDG base directories: the variable's value when it is an absolute path, else
// ~/underHome (as ".config"); empty without a home folder. A relative value is ignored, as the
// XDG rules ask, so that the working folder never decides where settings or logs are.
std::string xdgFolder(const char* variable, const char* underHome);

#endif  // TIMETABLE_PLATFORM_XDG_FOLDER_POSIX_H_
