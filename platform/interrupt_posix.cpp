// The signals are blocked in every thread and taken with sigwait on a thread of its own, where
// the cleanups may call libraries that are not async-signal-safe (libcups, stdio).
#include "platform/interrupt_posix.h"

#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <initializer_list>
#include <thread>

#include "platform/interrupt.h"
#include "platform/support_log.h"

namespace {

// Every signal by which a user, a shell or the system asks a program to end. Each ends the run
// as Ctrl+C does, with 128 + its number, so that none leaves a half made file or job behind.
// (SIGKILL cannot be caught; a crash's signals belong to the thread that crashed.)
const std::initializer_list<int> kEndingSignals = {SIGINT,  SIGTERM, SIGHUP, SIGQUIT,
                                                   SIGUSR1, SIGUSR2, SIGALRM};

// The signals a write sends the very thread that wrote: to a pipe whose reader has gone, past
// the file size limit. Ignored, the write fails instead and the program says so, or, for
// standard output, which only shows the dialogue, finishes the form all the same.
const std::initializer_list<int> kWriteSignals = {SIGPIPE, SIGXFSZ};

bool isIgnored(int number) {
  struct sigaction current = {};
  return sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// The write signals this program ignores for its own sake, which a program it starts gets back.
sigset_t& ignoredHere() {
  static sigset_t signals = [] {
    sigset_t empty;
    sigemptyset(&empty);
    return empty;
  }();
  return signals;
}

void ignoreWriteSignals() {
  for (int number : kWriteSignals) {
    if (isIgnored(number)) continue;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (sigaction(number, &ignore, nullptr) == 0) sigaddset(&ignoredHere(), number);
  }
}

}  // namespace

void startInterruptHandling() {
  ignoreWriteSignals();
  sigset_t signals;
  sigemptyset(&signals);
  for (int number : kEndingSignals) {
    if (!isIgnored(number)) sigaddset(&signals, number);
  }
  // Threads started later inherit the mask; without it the signals keep their default action.
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
  std::thread([signals] {
    int number = 0;
    while (sigwait(&signals, &number) != 0) {
    }
    runInterruptCleanups(128 + number);
    logLine("ended by signal " + std::to_string(number) + " with exit status " +
            std::to_string(128 + number));
    std::_Exit(128 + number);
  }).detach();
}

// The signals are blocked in every thread but the interrupt thread's sigwait, so none ends a
// read; an interrupt already taken ends the run here all the same.
void awaitInterruptAtEndOfInput() { stopIfInterrupted(); }

void setStartedProgramSignals(posix_spawnattr_t& attributes) {
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &ignoredHere());
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}
