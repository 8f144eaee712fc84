#ifndef TIMETABLE_PLATFORM_MESSAGES_H_
#define TIMETABLE_PLATFORM_MESSAGES_H_

#include <cstddef>
#include <string>
#include <vector>

// The programs' messages to the user on standard error, each one line with its kind in front:
// "error: " for what ends the run, "warning: " for what the user should check, "notice: " for
// what the run did differently. This is the only place that writes standard error.

// The text with every control character (a line break, a tab, an escape, and the controls
// U+0080 to U+009F such as CSI) and every bidirectional format character (the marks U+200E,
// U+200F and U+061C, the embeddings, overrides and isolates) made a blank, so that
// no text from a service, a spooler or the system can break the line, reach the terminal as a
// command or show other text than it holds. Bytes that are not UTF-8 become U+FFFD; all other
// text stays as it is.
std::string oneLine(std::string text);

// A listing of names for standard output, one a line, each line made one line as oneLine does:
// the names of printers or of settings are text from a spooler or a file, and reach the terminal
// no more freely than a message. The line ends stay.
std::string eachLineOneLine(const std::string& text);

// The most bytes of a text that a message or a log line quotes, and what stands for the rest of
// a longer one: a text of megabytes, served or typed, would otherwise make a line of megabytes.
extern const size_t kQuotedBytes;
extern const char kLeftOut[];

// The text, or when it is longer than kQuotedBytes its first whole characters within them
// followed by kLeftOut.
std::string shortened(const std::string& text);

// A value in a message (a train number, a setting's value, a stop's name) between the
// quotation marks of the user's language: "5410" in English, „5410” in Polish; shortened. The
// text is put in as it is; a caller escapes what needs it.
std::string quoted(const std::string& text);

// The names as a list in a sentence of the user's language: "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& names);

// How many warnings this run has shown.
int warningsShown();

void error(const std::string& text);
void warning(const std::string& text);
void notice(const std::string& text);

#endif  // TIMETABLE_PLATFORM_MESSAGES_H_
