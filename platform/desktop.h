#ifndef TIMETABLE_PLATFORM_DESKTOP_H_
#define TIMETABLE_PLATFORM_DESKTOP_H_

#include <string>

// The user's folder for temporary files (UTF-8), ending in its separator.
std::string temporaryFolder();

// Opens the file with the desktop's program for its kind, such as a PDF viewer, and returns
// without waiting for it to close. Returns false with the reason when none could be started.
bool openWithViewer(const std::string& path, std::string& reason);

#endif  // TIMETABLE_PLATFORM_DESKTOP_H_
