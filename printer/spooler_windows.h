#ifndef TIMETABLE_PRINTER_SPOOLER_WINDOWS_H_
#define TIMETABLE_PRINTER_SPOOLER_WINDOWS_H_

#include <windows.h>

#include <string>

// Windows only: deletes the job of the printer through a handle of its own, for an interrupt of
// the run, whose handler runs on a thread of its own while the job's own handle or device
// context may be in the middle of a write.
void deleteJobOnOwnHandle(const std::string& printer, DWORD id);

#endif  // TIMETABLE_PRINTER_SPOOLER_WINDOWS_H_
