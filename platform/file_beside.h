#ifndef TIMETABLE_PLATFORM_FILE_BESIDE_H_
#define TIMETABLE_PLATFORM_FILE_BESIDE_H_

#include <cstdio>
#include <string>

// A file written beside the one it replaces and put in its place in one step, so that a reader,
// or a run after a crash, finds the old file or the new one whole, never a part. The one way the
// program replaces a file: the forms of -o, the kept forms and the support log's older part.

// Who may read the new file: whoever any new file lets (the umask's), or the user alone.
enum class NewFileAccess { kUsual, kUsersAlone };

struct FileBeside {
  std::FILE* file = nullptr;  // Open for writing bytes until completed.
  std::string path;           // Its own name beside the file it will replace; empty when none.
};

// Creates the new file beside path (createFileBeside). False, with the reason, when it cannot.
bool startFileBeside(const std::string& path, NewFileAccess access, FileBeside& beside,
                     std::string& reason);

// Writes out, syncs to the disk and closes the file, so that putting it in place never exposes
// a file the disk has not got yet. False, with the reason, when any of it fails.
bool completeFileBeside(FileBeside& beside, std::string& reason);

// Puts the completed file in place of path, replacing what is there in one step; the name's
// change is synced too where the system allows.
bool putFileBesideInPlace(FileBeside& beside, const std::string& path, std::string& reason);

// Closes and removes a file not put in place; nothing when there is none.
void dropFileBeside(FileBeside& beside);

// The whole of it for bytes at hand. A caller that must leave nothing behind on an interrupt holds
// interrupts off around it (holdInterrupts); the support log, which the interrupt itself writes,
// does not.
bool writeFileBeside(const std::string& path, const std::string& bytes, NewFileAccess access,
                     std::string& reason);

#endif  // TIMETABLE_PLATFORM_FILE_BESIDE_H_
