#ifndef TIMETABLE_PLATFORM_MACHINE_FOLDER_WIN32_H_
#define TIMETABLE_PLATFORM_MACHINE_FOLDER_WIN32_H_

// The access list the machine's folder of copies is made with (SDDL): Administrators and SYSTEM
// may change the folder and what is in it, Users may read; "P" keeps ProgramData's rule that lets
// every user create files from being inherited.
extern const wchar_t kMachineFolderAccess[];

#endif  // TIMETABLE_PLATFORM_MACHINE_FOLDER_WIN32_H_
