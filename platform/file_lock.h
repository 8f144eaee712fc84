#ifndef TIMETABLE_PLATFORM_FILE_LOCK_H_
#define TIMETABLE_PLATFORM_FILE_LOCK_H_

#include <cstdint>
#include <string>

// An advisory lock held on a lock file, so that runs sharing a folder take turns at changing
// its files. Only runs that take the same lock wait for each other; nothing else is kept out.
// Windows cannot lock a folder, so the lock is always on a file of its own in the folder.

struct FileLock {
  intptr_t handle = -1;  // The open lock file; -1 when none is held.
};

// Opens the lock file, created for the user alone when missing (a link in its place is not
// followed), and waits up to kLockWaitSeconds for the lock. False, with the reason, when it
// cannot be opened or another run holds it all that while.
extern const int kLockWaitSeconds;
bool takeFileLock(const std::string& path, FileLock& lock, std::string& reason);

// Gives the lock up and closes the file; nothing when none is held.
void releaseFileLock(FileLock& lock);

#endif  // TIMETABLE_PLATFORM_FILE_LOCK_H_
