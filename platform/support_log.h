#ifndef TIMETABLE_PLATFORM_SUPPORT_LOG_H_
#define TIMETABLE_PLATFORM_SUPPORT_LOG_H_

#include <cstdint>
#include <string>

// The support log: what each run did, for whoever helps a user afterwards. Every run appends to
// it: the start with the options, the settings, the train, each request to the service, every
// message as shown, and the outcome. It never holds a whole answer of the service. On Linux it is
// $XDG_STATE_HOME/timetable-print/timetable-print.log (~/.local/state when that is not set), on
// Windows %LOCALAPPDATA%\timetable-print\timetable-print.log. Past kSupportLogLimit it is renamed
// to timetable-print.log.1, replacing an older one, and a new one starts.
//
// The log never changes a run: a log that cannot be written is left out without a word, since the
// run's own output (standard error, the dialogue, the printer's bytes) must stay as it always was.

extern const int64_t kSupportLogLimit;

// The log's full path in UTF-8; empty when the system gives no folder for it (no home folder).
std::string supportLogPath();

// Where the log is, or that there is none, in the user's words: for --settings and --check.
std::string supportLogText();

// Appends one line to the log: the local time with its UTC offset, the process's number, and text
// made one line as messages are (oneLine). Two runs at once never mix inside a line. Callable from
// anywhere, at any time; it never throws and leaves errno as it was.
void logLine(const std::string& text);

// Each platform supplies these.

// The folder of the log, in UTF-8, not yet created; empty when the system gives none.
std::string supportLogFolder();
// Creates the folder when it is not there; its parent must exist.
void createFolder(const std::string& folder);
// The size of the file in bytes, or -1 when there is none or it cannot be asked.
int64_t sizeOfFile(const std::string& path);
// Appends the bytes to the file, creating it, with one write to a file opened for appending only,
// so that the writes of two processes never interleave. False when it cannot be written.
bool appendToFile(const std::string& path, const std::string& bytes);
// The number the system gives this process, which tells apart the lines of two runs at once.
unsigned long processNumber();
// The system's own error code beside errno (Windows' last error; nothing elsewhere), which
// logLine keeps as it was, so that a message may be logged between a failing call and the
// reading of its error.
unsigned long systemErrorCode();
void setSystemErrorCode(unsigned long code);

#endif  // TIMETABLE_PLATFORM_SUPPORT_LOG_H_
