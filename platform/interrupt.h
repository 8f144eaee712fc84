#ifndef TIMETABLE_PLATFORM_INTERRUPT_H_
#define TIMETABLE_PLATFORM_INTERRUPT_H_

#include <functional>

// What an interrupt of the run undoes before the program ends: Ctrl+C or any other request to end
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM; on Windows the console's control
// events) cancels a print job still open and removes a file not yet put in place, so that
// nothing half made is left behind.
//
// The interrupt is taken on a thread of its own, never inside a signal handler, so a cleanup may
// call any library. The interrupted thread goes on meanwhile: a cleanup touches only what that
// thread does not use, or what it uses within holdInterrupts.

// Takes the interrupts over. Called first in main, before any other thread starts, so that every
// thread leaves them to the interrupt thread. From then on an interrupt runs the cleanups
// registered at that moment, newest first, and ends the program with status 128 + the signal's
// number (130 for Ctrl+C; 130 on Windows). Interrupts that were ignored when the program
// started (as for a background job of a shell) stay ignored. A write to a pipe whose reader has
// gone, or past the file size limit, fails with an error instead of ending the program (SIGPIPE
// and SIGXFSZ are ignored): a file or printer written so reports it, and standard output, which
// only shows the dialogue, is let go while the form is finished.
void startInterruptHandling();

// Registers a cleanup; returns its number, never 0, for removeInterruptCleanup.
int addInterruptCleanup(std::function<void()> cleanup);

// Removes the cleanup: the work it would undo is finished or already undone.
void removeInterruptCleanup(int id);

// Runs the step with interrupts held off: an interrupt that arrives meanwhile waits for the step
// to end, and one taken before it keeps the step from ever starting. For a step that a cleanup
// must not overlap, and for the step that finishes what a cleanup would undo together with the
// removal of that cleanup. Steps may nest.
void holdInterrupts(const std::function<void()>& step);

// For a read at a prompt that found the end of the input. A Ctrl+C at a Windows console ends the
// console's read so, a moment before its interrupt is taken on a thread of its own; the run must
// not go on with an empty answer meanwhile. Waits for an interrupt already taken, or, after a
// console's read, one that comes within that moment: it ends the run, and this never returns.
// Otherwise, and on POSIX, where a signal ends no read, returns: the input did end.
void awaitInterruptAtEndOfInput();

// Never returns once an interrupt has been taken: the run ends with it. Before each step that
// must not start after an interrupt, where holding interrupts off over the step could keep them
// off for long, as a write that a printer holds up.
void stopIfInterrupted();

// For the platform's interrupt thread: holds interrupts off for good, so that no step starts
// any more, and runs the cleanups; the program then ends with exitStatus.
void runInterruptCleanups(int exitStatus);

// For a cleanup: the exit status the interrupt ends the program with.
int interruptExitStatus();

#endif  // TIMETABLE_PLATFORM_INTERRUPT_H_
