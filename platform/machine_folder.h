#ifndef TIMETABLE_PLATFORM_MACHINE_FOLDER_H_
#define TIMETABLE_PLATFORM_MACHINE_FOLDER_H_

#include <string>

// The machine's folder of timetable copies, which its administrator fills and every user reads:
// /var/cache/timetable-print on Linux, %ProgramData%\timetable-print\copies on Windows. Empty
// when the system names no such place.
std::string machineCopiesFolder();

// Whether this process runs as the system's administrator: root on Linux; an elevated member of
// Administrators, or SYSTEM, on Windows.
bool runsAsAdministrator();

// Makes the machine's folder, with any folder above it that is missing, so that its administrator
// alone may change it and every user may read it: mode 0755 on Linux; on Windows an access list
// of its own, not inherited (ProgramData lets every user create files), that gives Administrators
// and SYSTEM full control and Users reading. A folder that is there is left as it is. False, with
// the system's words in reason, when it cannot be made.
bool makeMachineFolder(const std::string& folder, std::string& reason);

// Writes the bytes to a new file beside path, which every user may read, and puts it in place of
// path in one step.
bool writeMachineFile(const std::string& path, const std::string& bytes, std::string& reason);

#endif  // TIMETABLE_PLATFORM_MACHINE_FOLDER_H_
