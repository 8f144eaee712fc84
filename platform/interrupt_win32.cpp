// Windows calls the console control handler on a thread of its own, where the cleanups may call
// any library.
#include <windows.h>

#include "platform/interrupt.h"

namespace {

// The status a shell gives a program ended by Ctrl+C.
const UINT kInterruptedStatus = 130;

BOOL WINAPI onConsoleControl(DWORD) {
  runInterruptCleanups();
  // At once, as on POSIX: the interrupted thread may hold locks that an orderly exit would take.
  TerminateProcess(GetCurrentProcess(), kInterruptedStatus);
  return TRUE;
}

}  // namespace

void startInterruptHandling() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }
