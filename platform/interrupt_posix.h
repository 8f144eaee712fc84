#ifndef TIMETABLE_PLATFORM_INTERRUPT_POSIX_H_
#define TIMETABLE_PLATFORM_INTERRUPT_POSIX_H_

#include <spawn.h>

// Sets the attributes so that a program started with them begins as one started from a shell:
// no signal blocked (this program blocks the interrupts in every thread), and the signals that
// this program ignores for its own sake back at their default action. Signals that were ignored
// when this program started stay ignored, as a shell's background job expects.
void setStartedProgramSignals(posix_spawnattr_t& attributes);

#endif  // TIMETABLE_PLATFORM_INTERRUPT_POSIX_H_
