// The user's local application data is the user's own: the profile's permissions keep other
// users out. What is left to refuse is a link (a reparse point) in place of a kept file or its
// folder, which is opened as itself and never followed.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "platform/private_file.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

std::wstring wide(const std::string& path) { return wideFromCodePage(path, CP_UTF8); }

bool refuse(const std::string& path, const std::string& fault, std::string& reason) {
  reason = formatMessage(translate("{0}: {1}"), {path, fault});
  return false;
}

// What makes the attributes no private file (or folder), or empty.
std::string faultOf(DWORD attributes, bool folder) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return translate("it is a symbolic link, which is not followed here");
  }
  const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && !isFolder) return translate("it is not a folder");
  if (!folder && isFolder) return translate("it is not a plain file");
  return std::string();
}

bool checkAttributes(const std::string& path, bool folder, bool nothingAllowed,
                     std::string& reason) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (nothingAllowed && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
      return true;
    }
    return refuse(path, systemMessage(error), reason);
  }
  const std::string fault = faultOf(attributes, folder);
  return fault.empty() || refuse(path, fault, reason);
}

}  // namespace

bool privateFileExists(const std::string& path) {
  return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isPrivateFileOrNothing(const std::string& path, std::string& reason) {
  return checkAttributes(path, false, true, reason);
}

bool isPrivateFolder(const std::string& folder, std::string& reason) {
  return checkAttributes(folder, true, false, reason);
}

bool makePrivateFolder(const std::string& folder, std::string& reason) {
  if (CreateDirectoryW(wide(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  return refuse(folder, systemMessage(GetLastError()), reason);
}

bool createPrivateFileBeside(const std::string& path, const std::string& bytes,
                             std::string& createdPath, std::string& reason) {
  std::FILE* file = createFileBeside(path, createdPath, reason);
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool flushed = std::fflush(file) == 0 && written;
  if (std::fclose(file) == 0 && flushed) return true;
  removeFile(createdPath);
  return refuse(createdPath, systemMessage(ERROR_WRITE_FAULT), reason);
}

bool readCheckedPrivateFile(const std::string& path, size_t limit, std::string& bytes,
                            std::string& reason) {
  // Opened as itself: a reparse point is not followed, and is then seen in its attributes.
  HANDLE handle =
      CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return refuse(path, systemMessage(GetLastError()), reason);
  BY_HANDLE_FILE_INFORMATION information = {};
  std::string fault = GetFileInformationByHandle(handle, &information)
                          ? faultOf(information.dwFileAttributes, false)
                          : systemMessage(GetLastError());
  const unsigned long long size =
      (static_cast<unsigned long long>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  if (fault.empty() && size > limit) fault = translate("it is too large");
  bytes.clear();
  std::vector<char> piece(65536);
  while (fault.empty()) {
    DWORD count = 0;
    if (!ReadFile(handle, piece.data(), static_cast<DWORD>(piece.size()), &count, nullptr)) {
      fault = systemMessage(GetLastError());
    }
    if (count == 0) break;
    bytes.append(piece.data(), count);
    if (bytes.size() > limit) fault = translate("it is too large");
  }
  CloseHandle(handle);
  return fault.empty() || refuse(path, fault, reason);
}
