#ifndef TIMETABLE_PLATFORM_FILE_SYSTEM_POSIX_H_
#define TIMETABLE_PLATFORM_FILE_SYSTEM_POSIX_H_

#include <string>

// Replaces path by the target of the link it is; false when it is no link. A relative target is
// taken from the link's folder.
bool followLink(std::string& path);

#endif  // TIMETABLE_PLATFORM_FILE_SYSTEM_POSIX_H_
