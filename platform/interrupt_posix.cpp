// The signals are blocked in every thread and taken with sigwait on a thread of its own, where
// the cleanups may call libraries that are not async-signal-safe (libcups, stdio).
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <initializer_list>
#include <thread>

#include "platform/interrupt.h"

void startInterruptHandling() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current = {};
    if (sigaction(number, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
      sigaddset(&signals, number);
    }
  }
  // Threads started later inherit the mask; without it the signals keep their default action.
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
  std::thread([signals] {
    int number = 0;
    while (sigwait(&signals, &number) != 0) {
    }
    runInterruptCleanups();
    std::_Exit(128 + number);
  }).detach();
}

// The signals are blocked in every thread but the interrupt thread's sigwait, so none ends a
// read; an interrupt already taken ends the run here all the same.
void awaitInterruptAtEndOfInput() { stopIfInterrupted(); }
