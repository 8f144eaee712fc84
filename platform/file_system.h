#ifndef TIMETABLE_PLATFORM_FILE_SYSTEM_H_
#define TIMETABLE_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The few file system calls the program's output needs, for paths in UTF-8 on every platform.
// Each call that fails returns false (or null) and sets reason to the system's own words.

// Whether the path names something that is written directly rather than replaced: a device such
// as a printer port, a pipe, or an open descriptor (descriptorNamedBy).
bool isDeviceOrPipe(const std::string& path);

// The open descriptor of this process that the path names, as /dev/stdout, /dev/stderr,
// /dev/fd/N or /proc/self/fd/N do, itself or through symbolic links; -1 for any other path.
// What is written there goes to what the descriptor is open on, without opening that again.
int descriptorNamedBy(const std::string& path);

// Whether the path names a plain file that this process may write, or nothing yet, in a folder
// where it may create files: neither a device, a pipe nor a folder, nor a link to one.
bool isWritableFileInWritableFolder(const std::string& path);

// Where the path leads through its symbolic links, so that a file put in place there replaces
// a link's target and never the link; the path itself when it is no link.
std::string linkTargetOf(const std::string& path);

// Whether a symbolic link on the way from path to what it names, itself or a link its target
// leads to, may have been planted by another user: a link in a folder that anyone may write but
// where only owners may remove their entries (the sticky bit, as /tmp), whose owner is neither
// this user nor the folder's owner. Following it would let that user choose which file this
// program writes; the reason then says so. The system's own protection (Linux's
// protected_symlinks) refuses such a link in the same way, where it is on. Windows has no such
// folders: false.
bool isPlantedLink(const std::string& path, std::string& reason);

bool isFolder(const std::string& path);

// Whether anything exists at the path.
bool fileExists(const std::string& path);

// Opens a file for reading bytes, or returns null with errno set.
std::FILE* openFileForReading(const std::string& path);

// Standard input, set to give its bytes unchanged (Windows would otherwise turn carriage return
// and line feed into line feed).
std::FILE* standardInputForReading();

// Creates a new, empty file of its own name in the folder of path, open for writing bytes, and
// sets createdPath to its path. Its name begins with temporaryNameStart of the file's name.
std::FILE* createFileBeside(const std::string& path, std::string& createdPath, std::string& reason);

// The start of the name of a file created beside the file called name: a dot, which keeps it out
// of a listing on Linux, and name, cut at a character boundary to at most 200 bytes so that the few
// characters each platform adds to make it unique never push the name over the system's 255.
std::string temporaryNameStart(const std::string& name);

// Whether a file created beside path may later take its place; true when nothing is there. It
// looks for what would make replaceFile fail although the folder can be written, without
// touching the file: on Linux another user's file in a folder where only owners may remove
// their files, on Windows a read-only file or one another program holds open.
bool mayReplaceFile(const std::string& path, std::string& reason);

// Puts the file at from in the place of the file at to, replacing any file there in one step.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

void removeFile(const std::string& path);

#endif  // TIMETABLE_PLATFORM_FILE_SYSTEM_H_
