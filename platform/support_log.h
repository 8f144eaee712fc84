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
// The log and its folder are the user's alone (TrustRule::kUsersAlone, which the kept forms in the
// same folder share): a folder or file of another user's, one that others may write, or a
// symbolic link in the log's place is never written, read or renamed. Such a log is refused for
// the whole run, which keeps no log then; --check and --settings say so (supportLogText).
//
// The log never changes a run: a log that cannot be written is left out without a word, since the
// run's own output (standard error, the dialogue, the printer's bytes) must stay as it always was.

extern const int64_t kSupportLogLimit;

// What is kept of a log's last bytes when it is cut down: the whole lines they hold; when one
// line alone is longer, its tail, so that a cut never empties the log.
std::string logTailToKeep(const std::string& tail);

// The log's full path in UTF-8; empty when the system gives no folder for it (no home folder).
std::string supportLogPath();

// Why this run's lines could not be written to the log, in the user's words; empty while they
// could.
std::string supportLogFailure();

// One line that tells where the log is, or why this run keeps none.
std::string supportLogText();

// Appends one line to the log: the local time with its UTC offset, the process's number, and text
// made one line as messages are (oneLine). Two runs at once never mix inside a line, and a line
// that cannot be written whole leaves nothing of itself. Callable from anywhere, at any time; it
// never throws and leaves errno as it was.
void logLine(const std::string& text);

// Each platform supplies these. Each one that reads or changes a file takes it as it stands in
// its folder, never through a symbolic link in its place, and gives in reason why it failed.

// The folder of the log, in UTF-8, not yet created; empty when the system gives none.
std::string supportLogFolder();
// The size of the plain file in bytes, or -1 when there is none or it cannot be asked.
int64_t sizeOfFile(const std::string& path);
// Appends the bytes to the file, creating it for the user alone, with one write to a file opened
// for appending only, so that the writes of two processes never interleave. A write that is cut
// short is taken back. False when it cannot be written whole.
bool appendToFile(const std::string& path, const std::string& bytes, std::string& reason);
// The bytes at the end of the file, at most limit of them; empty when it cannot be read.
std::string tailOfFile(const std::string& path, int64_t limit);
// The number the system gives this process, which tells apart the lines of two runs at once.
unsigned long processNumber();
// The system's own error code beside errno (Windows' last error; nothing elsewhere), which
// logLine keeps as it was, so that a message may be logged between a failing call and the
// reading of its error.
unsigned long systemErrorCode();
void setSystemErrorCode(unsigned long code);

#endif  // TIMETABLE_PLATFORM_SUPPORT_LOG_H_
