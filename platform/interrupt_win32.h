#ifndef TIMETABLE_PLATFORM_INTERRUPT_WIN32_H_
#define TIMETABLE_PLATFORM_INTERRUPT_WIN32_H_

#include <windows.h>

// Windows only: the console control handler that startInterruptHandling sets. Windows calls it
// on a thread of its own for Ctrl+C, Ctrl+Break and the window's closing; it runs the cleanups
// and ends the process with status 130.
BOOL WINAPI onConsoleControl(DWORD event);

#endif  // TIMETABLE_PLATFORM_INTERRUPT_WIN32_H_
