// The words typed at the prompts arrive as bytes: from a console in the console's input code
// page, from a pipe or a file as UTF-8. The runtime's wide input would widen them byte by byte,
// so they are read narrow and decoded here, which also keeps the words in the one buffer the
// train number was read from.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <io.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>

#include "platform/console.h"
#include "platform/console_system.h"
#include "platform/console_win32.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

bool inputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

// The narrow argv holds the arguments in the ANSI code page, which cannot hold every letter of
// a file name; the wide command line can.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

std::wstring readWideWord() {
  const std::string word = readWord();
  return wideFromCodePage(word, inputIsConsole() ? GetConsoleCP() : CP_UTF8);
}

// A window that Explorer opened for a double-clicked program closes the moment the program
// ends; a Command Prompt's window has the shell attached too.
void holdOwnConsoleWindow() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) != 1 || !inputIsConsole()) return;
  writeConsoleText(stdout, translate("Press Enter to close this window."));
  // What was typed ahead of the dialogue's last word is no answer to this question.
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  FlushConsoleInputBuffer(input);
  // A line longer than the buffer is read in several pieces, up to its line feed.
  const DWORD kPiece = 64;
  wchar_t typed[kPiece];
  DWORD read = 0;
  do {
    if (!ReadConsoleW(input, typed, kPiece, &read, nullptr)) return;
  } while (read == kPiece && typed[kPiece - 1] != L'\n');
}

bool writeTextTo(HANDLE handle, std::FILE* file, const std::string& text) {
  DWORD mode = 0;
  if (!GetConsoleMode(handle, &mode)) {
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fflush(file) == 0 && written;
  }
  // The bytes the runtime still holds for the console come first.
  std::fflush(file);
  const std::wstring wide = wideFromCodePage(text, CP_UTF8);
  size_t done = 0;
  while (done < wide.size()) {
    DWORD written = 0;
    const DWORD left = static_cast<DWORD>(wide.size() - done);
    if (!WriteConsoleW(handle, wide.data() + done, left, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool writeConsoleBytes(std::FILE* stream, const std::string& text) {
  return writeTextTo(GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), stream,
                     text);
}

// A program started without a handle for one of them (by a service, or with it closed) has no
// descriptor there, and its stream writes nowhere; NUL stands in for it.
bool openNullDeviceIfClosed(int descriptor) {
  const intptr_t handle = _get_osfhandle(descriptor);
  if (handle != -1 && handle != -2) return false;
  std::FILE* const streams[] = {stdin, stdout, stderr};
  std::FILE* const reopened = std::freopen("NUL", descriptor == 0 ? "r" : "w", streams[descriptor]);
  if (reopened != nullptr) {
    SetStdHandle(descriptor == 0   ? STD_INPUT_HANDLE
                 : descriptor == 1 ? STD_OUTPUT_HANDLE
                                   : STD_ERROR_HANDLE,
                 reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(reopened))));
  }
  return true;
}
