#ifndef TIMETABLE_PLATFORM_FILE_SYSTEM_H_
#define TIMETABLE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The few file system calls the program's output needs, for paths in UTF-8 on every platform.
// Each call that fails returns false (or null) and sets reason to the system's own words.

// Whether the path names something that is written directly rather than replaced: a device such
// as a printer port, or a pipe.
bool isDeviceOrPipe(const std::string& path);

bool isFolder(const std::string& path);

// Whether anything exists at the path.
bool fileExists(const std::string& path);

// Opens a file for reading bytes, or returns null with errno set.
std::FILE* openFileForReading(const std::string& path);

// The size of an open file in bytes; false for something that has no size before it is read,
// such as a pipe or a device.
bool sizeOfOpenFile(std::FILE* file, std::uint64_t& size);

// Creates a new, empty file of its own name in the folder of path, open for writing bytes, and
// sets createdPath to its path.
std::FILE* createFileBeside(const std::string& path, std::string& createdPath, std::string& reason);

// Puts the file at from in the place of the file at to, replacing any file there in one step.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

void removeFile(const std::string& path);

#endif  // TIMETABLE_PLATFORM_FILE_SYSTEM_H_
