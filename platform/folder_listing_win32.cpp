#include <windows.h>

#include "platform/folder_listing.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

bool listFolder(const std::string& folder, std::vector<std::string>& names, std::string& reason) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((utf8ToWide(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    names.clear();
    // An empty folder has no entry at all on some file systems; that is no fault.
    if (error == ERROR_FILE_NOT_FOUND) return true;
    reason = systemMessage(error);
    return false;
  }
  names.clear();
  do {
    const std::string name = utf8FromWide(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    reason = systemMessage(error);
    return false;
  }
  return true;
}
