// The log lies in the user's local application data, which stays on the machine and is not
// carried along with a roaming profile, and which only the user may write.
#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/trusted_file_win32.h"
#include "platform/wide_text_win32.h"

namespace {

std::wstring wide(const std::string& path) { return wideFromCodePage(path, CP_UTF8); }

// Opens the file itself, never what a symbolic link or a junction in its place leads to.
HANDLE openInPlace(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileW(wide(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Why the open file is not a plain file of its own: a link (a reparse point) or a folder.
std::string refusalOfHandle(const std::string& path, HANDLE file) {
  const TrustFault fault = faultOfHandle(file, TrustRule::kUsersAlone, false);
  return fault == TrustFault::kNone ? std::string()
                                    : trustRefusal(path, fault, TrustRule::kUsersAlone);
}

}  // namespace

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

int64_t sizeOfFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return -1;
  }
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// FILE_APPEND_DATA alone: each write goes to the end as it is then, whoever else writes. Shared
// for deleting too, so that another run may set the log aside while this one writes.
bool appendToFile(const std::string& path, const std::string& bytes, std::string& reason) {
  const HANDLE file = openInPlace(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    reason = formatMessage("{0}: {1}", {path, systemMessage(GetLastError())});
    return false;
  }
  reason = refusalOfHandle(path, file);
  DWORD written = 0;
  const bool whole =
      reason.empty() &&
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  if (!whole && reason.empty()) {
    reason = formatMessage("{0}: {1}", {path, systemMessage(GetLastError())});
  }
  CloseHandle(file);
  return whole;
}

std::string tailOfFile(const std::string& path, int64_t limit) {
  const HANDLE file = openInPlace(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string tail;
  LARGE_INTEGER size = {};
  if (refusalOfHandle(path, file).empty() && GetFileSizeEx(file, &size)) {
    const int64_t start = size.QuadPart > limit ? size.QuadPart - limit : 0;
    LARGE_INTEGER at = {};
    at.QuadPart = start;
    std::vector<char> buffer(static_cast<size_t>(size.QuadPart - start));
    DWORD count = 0;
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
        ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr)) {
      tail.assign(buffer.data(), count);
    }
  }
  CloseHandle(file);
  return tail;
}

unsigned long processNumber() { return GetCurrentProcessId(); }

unsigned long systemErrorCode() { return GetLastError(); }

void setSystemErrorCode(unsigned long code) { SetLastError(static_cast<DWORD>(code)); }
