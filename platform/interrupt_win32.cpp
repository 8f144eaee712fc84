// Windows calls the console control handler on a thread of its own, where the cleanups may call
// any library.
#include "platform/interrupt_win32.h"

#include "platform/console_win32.h"
#include "platform/interrupt.h"
#include "platform/support_log.h"

namespace {

// The status a shell gives a program ended by Ctrl+C.
const UINT kInterruptedStatus = 130;

// How long a console's read that found the end of the input waits for the interrupt of a Ctrl+C:
// the console ends the read first and starts the handler's thread after it.
const DWORD kInterruptAfterReadMilliseconds = 500;

// Set once the handler has started: the interrupt is taken and the run is about to end. Made
// before the handler is set, and never closed.
HANDLE interruptTaken = nullptr;

}  // namespace

BOOL WINAPI onConsoleControl(DWORD) {
  if (interruptTaken != nullptr) SetEvent(interruptTaken);
  runInterruptCleanups(static_cast<int>(kInterruptedStatus));
  logLine("ended by an interrupt with exit status " + std::to_string(kInterruptedStatus));
  // At once, as on POSIX: the interrupted thread may hold locks that an orderly exit would take.
  TerminateProcess(GetCurrentProcess(), kInterruptedStatus);
  return TRUE;
}

void startInterruptHandling() {
  interruptTaken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

void awaitInterruptAtEndOfInput() {
  const DWORD wait = inputIsConsole() ? kInterruptAfterReadMilliseconds : 0;
  if (interruptTaken != nullptr && WaitForSingleObject(interruptTaken, wait) == WAIT_OBJECT_0) {
    // The handler ends the process once its cleanups have run.
    for (;;) Sleep(INFINITE);
  }
  stopIfInterrupted();
}
