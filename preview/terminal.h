#ifndef TIMETABLE_PREVIEW_TERMINAL_H_
#define TIMETABLE_PREVIEW_TERMINAL_H_

// Whether standard output is a terminal, where bold can be shown.
bool standardOutputIsTerminal();

#endif  // TIMETABLE_PREVIEW_TERMINAL_H_
