// Which way text takes to the console, a file or a pipe. The console case needs a console: run
// under wine, the test is started in a terminal of its own (cmake/Tests.cmake).
#include "platform/console_win32.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// A message with the letters, and a rule of timetable-preview's page with the box-drawing
// characters, that a Polish console's code page 852 shows wrongly from UTF-8 bytes.
const char kText[] =
    "b\xC5\x82\xC4\x85"
    "d: \xC5\x81\xC3\xB3"
    "d\xC5\xBA \xE2\x94\x8C\xE2\x94\x80\xE2\x94\xAC";  // "błąd: Łódź ┌─┬"
const wchar_t kWideText[] = L"b\u0142\u0105d: \u0141\u00F3d\u017A \u250C\u2500\u252C";

struct Pipe {
  HANDLE read = nullptr;
  std::FILE* write = nullptr;  // The C runtime's stream over the pipe's writing end.
};

Pipe openPipe() {
  Pipe pipe;
  HANDLE write = nullptr;
  if (!CreatePipe(&pipe.read, &write, nullptr, 1 << 16)) return pipe;
  pipe.write = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(write), _O_TEXT), "w");
  return pipe;
}

// Everything written to the pipe, once its writing end is closed.
std::string readAll(Pipe& pipe) {
  std::fclose(pipe.write);
  std::string bytes;
  char buffer[256];
  DWORD read = 0;
  while (ReadFile(pipe.read, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(pipe.read);
  return bytes;
}

HANDLE fileHandle(std::FILE* file) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

TEST(ConsoleText, APipeGetsTheUtf8Bytes) {
  Pipe pipe = openPipe();
  ASSERT_NE(pipe.write, nullptr);
  writeTextTo(fileHandle(pipe.write), pipe.write, kText);
  EXPECT_EQ(readAll(pipe), kText);
}

TEST(ConsoleText, AConsoleGetsTheCharactersWhateverItsCodePage) {
  HANDLE console =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(console, INVALID_HANDLE_VALUE) << "this test needs a console";
  const UINT codePage = GetConsoleOutputCP();
  SetConsoleOutputCP(852);
  CONSOLE_SCREEN_BUFFER_INFO before;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &before));

  // The runtime's stream is a pipe's, so that a text that went that way would show there.
  Pipe pipe = openPipe();
  ASSERT_NE(pipe.write, nullptr);
  writeTextTo(console, pipe.write, kText);
  EXPECT_EQ(readAll(pipe), "");

  const DWORD length = static_cast<DWORD>(std::wstring(kWideText).size());
  std::wstring shown(length, L'\0');
  DWORD read = 0;
  EXPECT_TRUE(
      ReadConsoleOutputCharacterW(console, &shown[0], length, before.dwCursorPosition, &read));
  shown.resize(read);
  EXPECT_EQ(shown, kWideText);
  SetConsoleOutputCP(codePage);
  CloseHandle(console);
}

}  // namespace
