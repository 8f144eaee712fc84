#ifndef TIMETABLE_PLATFORM_PRIVATE_FILE_H_
#define TIMETABLE_PLATFORM_PRIVATE_FILE_H_

#include <string>

// Files that the user alone may read and change, in a folder that the user alone may change: the
// forms kept for a reprint, which another user must neither read nor swap. A symbolic link in
// place of such a file, or of its folder, is refused and never followed, as is a file or folder
// that belongs to another user or that others may read or write; nothing is then read or written.
// On Windows the folder is the user's own profile, whose permissions the system keeps; there only
// links (reparse points) are refused.
//
// Each call returns false and says why in reason, in the user's words, when it refuses or fails.

// Makes the folder (only the user may enter it) with any folder above it that is missing, or
// checks the one that is there.
bool requirePrivateFolder(const std::string& folder, std::string& reason);

// Reads the whole file, at most limit bytes; a longer file is refused.
bool readPrivateFile(const std::string& path, size_t limit, std::string& bytes,
                     std::string& reason);

// Writes the bytes to a new file beside path, which the user alone may read, and puts it in place
// of path in one step, so that a reader finds the old file or the new one whole, never a part.
bool writePrivateFile(const std::string& path, const std::string& bytes, std::string& reason);

// Puts the file at from in place of the file at to, in one step.
bool movePrivateFile(const std::string& from, const std::string& to, std::string& reason);

// Whether a file is at the path (a link counts).
bool privateFileExists(const std::string& path);

// Each platform supplies these.

// Refuses what is at path unless it is nothing, or a plain file of the user's that others may
// neither read nor write; a link is refused. A folder has the same test with a folder in place
// of the plain file.
bool isPrivateFileOrNothing(const std::string& path, std::string& reason);
bool isPrivateFolder(const std::string& folder, std::string& reason);
// Creates a new file beside path that the user alone may read, writes the bytes and closes it;
// sets createdPath.
bool createPrivateFileBeside(const std::string& path, const std::string& bytes,
                             std::string& createdPath, std::string& reason);
// Opens the file without following a link, checks it as isPrivateFileOrNothing does (on the
// opened file, so that nothing can be swapped between the check and the read), and reads it.
bool readCheckedPrivateFile(const std::string& path, size_t limit, std::string& bytes,
                            std::string& reason);
// Makes one folder that the user alone may enter; its parent must exist. True when it is there.
bool makePrivateFolder(const std::string& folder, std::string& reason);

#endif  // TIMETABLE_PLATFORM_PRIVATE_FILE_H_
