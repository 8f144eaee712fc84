#ifndef TIMETABLE_PLATFORM_CONSOLE_H_
#define TIMETABLE_PLATFORM_CONSOLE_H_

#include <cstdio>
#include <string>
#include <vector>

// Opens the null device onto each of standard input, output and error that the program was
// started with closed, so that no file it opens later takes that place and gets the dialogue or
// the messages. Call it first, before anything opens a file. Returns the names of those that
// were closed ("standard output"), for the log. A standard output found closed stays a failed
// one: writeConsoleText to it fails and standardOutputError() says so.
std::vector<std::string> reopenClosedStandardStreams();

// The command line's arguments after the program's name, in UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// The most bytes of a word typed at a prompt that are kept: no train number, locomotive or
// speed is longer, and a megabyte pasted at a prompt would make a form of megabytes.
extern const size_t kMaxTypedWordBytes;

// Reads the next white-space separated word typed at the console, as typed, for the train
// number. At the end of the input the word is empty. A longer word is cut to its whole
// characters within kMaxTypedWordBytes, and the rest of it is skipped.
std::string readWord();

// Reads the next white-space separated word typed at the console as wide text, for the
// locomotive and speed prompts. At the end of the input the word is empty.
std::wstring readWideWord();

// Writes UTF-8 text to stream, standard output or standard error, after what standard output
// holds. A console gets the text as characters, which show whatever the console's code page; a
// file or a pipe gets the UTF-8 bytes. False when not all of it could be written.
bool writeConsoleText(std::FILE* stream, const std::string& text);

// The system's error (errno) of the first write to standard output by writeConsoleText that
// failed, EBADF when it was closed at the start, or 0 when neither.
int standardOutputError();

// Where the program's console window was opened for it alone (started by a double click), keeps
// it open until Enter is pressed, so that the last lines can be read. Elsewhere returns at once.
void holdOwnConsoleWindow();

#endif  // TIMETABLE_PLATFORM_CONSOLE_H_
