// The log lies in the user's local application data, which stays on the machine and is not
// carried along with a roaming profile.
#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include "platform/support_log.h"
#include "platform/wide_text_win32.h"

// %LOCALAPPDATA%\timetable-print, as the shell knows the folder, whatever the variable says.
std::string supportLogFolder() {
  PWSTR folder = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder) != S_OK) {
    CoTaskMemFree(folder);
    return std::string();
  }
  const std::string path = utf8FromWide(folder) + "\\timetable-print";
  CoTaskMemFree(folder);
  return path;
}

void createFolder(const std::string& folder) {
  CreateDirectoryW(wideFromCodePage(folder, CP_UTF8).c_str(), nullptr);
}

int64_t sizeOfFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(wideFromCodePage(path, CP_UTF8).c_str(), GetFileExInfoStandard,
                            &data)) {
    return -1;
  }
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// FILE_APPEND_DATA alone: each write goes to the end as it is then, whoever else writes. Shared
// for deleting too, so that another run may set the log aside while this one writes.
bool appendToFile(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(wideFromCodePage(path, CP_UTF8).c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      GetFileType(file) == FILE_TYPE_DISK &&
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return whole;
}

unsigned long processNumber() { return GetCurrentProcessId(); }

unsigned long systemErrorCode() { return GetLastError(); }

void setSystemErrorCode(unsigned long code) { SetLastError(static_cast<DWORD>(code)); }
