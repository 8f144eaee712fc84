#ifndef TIMETABLE_PLATFORM_FOLDER_LISTING_H_
#define TIMETABLE_PLATFORM_FOLDER_LISTING_H_

#include <string>
#include <vector>

// The names of the entries of a folder, in UTF-8, without "." and "..", in no set order. False,
// with the system's words in reason, when the folder cannot be read.
bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& reason);

#endif  // TIMETABLE_PLATFORM_FOLDER_LISTING_H_
