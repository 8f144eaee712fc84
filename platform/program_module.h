#ifndef TIMETABLE_PLATFORM_PROGRAM_MODULE_H_
#define TIMETABLE_PLATFORM_PROGRAM_MODULE_H_

#include <string>

// A part of the program built as a module of its own, opened only by the runs that need it, so
// that a run which does not leaves the module's libraries unmapped (cairo and CUPS bring some 30
// with them). Linux only: the Windows programs link every part.

// Opens the module fileName of the program's own (beside the program in the build tree, or in
// the program's library folder of an install) and returns the address of its function entry.
// The module stays open to the end of the run. A module that is missing, cannot be loaded or
// lacks entry is thrown as std::runtime_error naming its file.
void* programModuleEntry(const char* fileName, const char* entry);

#endif  // TIMETABLE_PLATFORM_PROGRAM_MODULE_H_
