// The desktop is Windows' shell, which opens a file with the program registered for its kind.
#include <windows.h>
// shellapi.h and objbase.h need windows.h first.
#include <objbase.h>
#include <shellapi.h>

#include "platform/desktop.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

namespace {

// ShellExecuteW reports success with a value above this one.
const INT_PTR kShellExecuteErrorLimit = 32;

}  // namespace

std::string temporaryFolder() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return std::string(".\\");
  return utf8FromWide(std::wstring(folder, length));
}

bool openWithViewer(const std::string& path, std::string& reason) {
  // The shell may hand the file to a program through COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::wstring file = utf8ToWide(path);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  const DWORD error = GetLastError();
  if (SUCCEEDED(com)) CoUninitialize();
  if (result > kShellExecuteErrorLimit) return true;
  reason = systemMessage(error);
  return false;
}
