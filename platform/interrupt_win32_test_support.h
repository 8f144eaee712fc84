#ifndef TIMETABLE_PLATFORM_INTERRUPT_WIN32_TEST_SUPPORT_H_
#define TIMETABLE_PLATFORM_INTERRUPT_WIN32_TEST_SUPPORT_H_

#include <windows.h>

#include "platform/interrupt.h"
#include "platform/interrupt_win32.h"

// Windows' part in a Ctrl+C, for tests under wine, which gives them no console: the control
// handler runs on a thread of its own. Returns while the interrupt's cleanups run, so that the
// interrupt is taken and the process not yet ended; it ends with status 130 a moment later.
inline void interruptWithSlowCleanup() {
  static const HANDLE cleaning = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  addInterruptCleanup([] {
    SetEvent(cleaning);
    Sleep(300);
  });
  const auto pressCtrlC = [](void*) -> DWORD {
    onConsoleControl(CTRL_C_EVENT);
    return 0;
  };
  CloseHandle(CreateThread(nullptr, 0, pressCtrlC, nullptr, 0, nullptr));
  WaitForSingleObject(cleaning, INFINITE);
}

#endif  // TIMETABLE_PLATFORM_INTERRUPT_WIN32_TEST_SUPPORT_H_
