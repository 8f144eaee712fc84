#ifndef TIMETABLE_DRIVER_CONSOLE_H_
#define TIMETABLE_DRIVER_CONSOLE_H_

#include <string>

// Reads the next white-space separated word typed at the console as wide text, for the
// locomotive and speed prompts. At the end of the input the word is empty.
std::wstring readWideWord();

#endif  // TIMETABLE_DRIVER_CONSOLE_H_
