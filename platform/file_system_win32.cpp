// rand_s, for names no one can predict, is declared only with this.
#define _CRT_RAND_S
// Paths arrive in UTF-8 and are handed to the wide-character calls, so that a name with Polish
// letters works whatever the system's ANSI code page.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/file_system.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

bool startsWith(const std::wstring& text, const wchar_t* start) {
  return text.compare(0, std::wcslen(start), start) == 0;
}

// The path as the wide-character calls take it. One whose full form reaches MAX_PATH gets the
// \\?\ form, which has no such limit, so that a temporary name a few characters longer than
// its file works wherever the file does. Shorter paths go as given and mean what they always did.
std::wstring widePath(const std::string& path) {
  const std::wstring wide = wideFromCodePage(path, CP_UTF8);
  if (startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\")) return wide;
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size <= MAX_PATH) return wide;  // The size counts the terminating null.
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return wide;
  full.resize(length);
  if (startsWith(full, L"\\\\?\\") || startsWith(full, L"\\\\.\\")) return full;
  if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Where the last part of the path begins: after its last separator, or after the drive of a
// drive-relative path such as C:form.prn, whose folder is the drive's current one.
size_t lastPartStart(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !isSeparator(path[start - 1])) --start;
  if (start == 0 && path.size() > 2 && path[1] == ':') start = 2;
  return start;
}

// The path with its folder spelt out, as the system resolves it now, so that a name made from
// it lands in the same folder: C:form.prn is in the current folder of drive C, not in a file
// "C" with a stream. A path that cannot be resolved stays as given.
std::string fullPath(const std::string& path) {
  const std::wstring wide = wideFromCodePage(path, CP_UTF8);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return utf8FromWide(full);
}

std::string upperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices in any folder, with or
// without a colon.
bool isDosDeviceName(std::string name) {
  if (!name.empty() && name.back() == ':') name.pop_back();
  name = upperAscii(name);
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") return true;
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

int countParts(const std::string& path, size_t start) {
  int parts = 0;
  bool inPart = false;
  for (size_t i = start; i < path.size(); ++i) {
    if (isSeparator(path[i])) {
      inPart = false;
    } else if (!inPart) {
      inPart = true;
      ++parts;
    }
  }
  return parts;
}

// \\server\printer: a shared printer. A file on a share needs a third part,
// \\server\share\file.
bool isSharedPrinterPath(const std::string& path) {
  if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) return false;
  if (path[2] == '.') return true;  // \\.\name: a device, such as \\.\LPT1 or a pipe.
  return countParts(path, 2) == 2;
}

// \\?\ paths go to the system unchanged, device names in them included, so \\?\C:\forms\LPT1
// is a file. What they name is a device only when it is one name alone, as in \\?\LPT1, or a
// shared printer, as in \\?\UNC\server\printer.
bool isUnchangedDevicePath(const std::string& path) {
  const std::string unc = "\\\\?\\UNC\\";
  if (upperAscii(path.substr(0, unc.size())) == unc) return countParts(path, unc.size()) == 2;
  return countParts(path, 4) == 1;
}

}  // namespace

const char kPathSeparator = '\\';

std::string folderOf(const std::string& path) {
  const size_t end = path.find_last_of("/\\");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

bool isDeviceOrPipe(const std::string& path) {
  if (path.compare(0, 4, "\\\\?\\") == 0) return isUnchangedDevicePath(path);
  return isDosDeviceName(path.substr(lastPartStart(path))) || isSharedPrinterPath(path);
}

// Windows has no paths of descriptors, and its programs rarely meet symbolic links: a link is
// replaced itself, as MoveFileEx does.
int descriptorNamedBy(const std::string&) { return -1; }

// The folder is not asked: Windows' LPT1 is a device, the one path this serves.
bool isWritableFileInWritableFolder(const std::string& path) {
  if (isDeviceOrPipe(path)) return false;
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

std::string linkTargetOf(const std::string& path) { return path; }

std::string fullPathOf(const std::string& path) {
  const std::string name = upperAscii(path.substr(lastPartStart(path)));
  if (!path.empty() && isDosDeviceName(name)) return path;
  return fullPath(path.empty() ? "." : path);
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A link's own attributes are its answer.
bool entryExists(const std::string& path) { return fileExists(path); }

std::FILE* openFileForReading(const std::string& path) {
  return _wfopen(widePath(path).c_str(), L"rb");
}

std::FILE* openRegularFileForReading(const std::string& path, bool& notRegular) {
  notRegular = false;
  std::FILE* file = openFileForReading(path);
  if (file == nullptr) return nullptr;
  struct _stat64 status;
  notRegular = _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) != _S_IFREG;
  if (notRegular) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

std::FILE* standardInputForReading() {
  _setmode(_fileno(stdin), _O_BINARY);
  return stdin;
}

// The user's alone needs nothing more: a new file takes the permissions of its folder, which in
// the user's profile are the user's.
std::FILE* createFileBeside(const std::string& path, bool, std::string& createdPath,
                            std::string& reason) {
  const std::string full = fullPath(path);
  const size_t start = lastPartStart(full);
  const std::string stem = full.substr(0, start) + temporaryNameStart(full.substr(start)) + "." +
                           std::to_string(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    createdPath = stem + "-" + std::to_string(attempt);
    int descriptor = -1;
    const errno_t error = _wsopen_s(&descriptor, widePath(createdPath).c_str(),
                                    _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                                    _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (error == EEXIST) continue;
    if (error != 0) {
      reason = std::strerror(error);
      return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
      reason = std::strerror(errno);
      _close(descriptor);
      removeFile(createdPath);
    }
    return file;
  }
  reason = std::strerror(EEXIST);
  return nullptr;
}

bool mayReplaceFile(const std::string& path, std::string& reason) {
  const std::wstring wide = widePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    reason = systemMessage(error);
    return false;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    reason = translate("it is read-only");
    return false;
  }
  // A replace deletes the old file. Opening it for that, while letting others read, write and
  // delete, fails with a sharing violation when another program holds it without letting it be
  // deleted, as a viewer showing it may.
  const HANDLE file =
      CreateFileW(wide.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    reason =
        error == ERROR_SHARING_VIOLATION
            ? formatMessage(translate("another program has it open: {0}"), {systemMessage(error)})
            : systemMessage(error);
    return false;
  }
  CloseHandle(file);
  return true;
}

bool createUnpredictableFile(const std::string& folder, const std::string& start,
                             const std::string& end, std::string& path, std::string& reason) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned int random = 0;
    if (rand_s(&random) != 0) {
      reason = std::strerror(EIO);
      return false;
    }
    path = folder + start + std::to_string(random) + end;
    int descriptor = -1;
    const errno_t error = _wsopen_s(&descriptor, widePath(path).c_str(),
                                    _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                                    _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (error == EEXIST) continue;
    if (error != 0) {
      reason = std::strerror(error);
      return false;
    }
    _close(descriptor);
    return true;
  }
  reason = std::strerror(EEXIST);
  return false;
}

bool syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = systemMessage(GetLastError());
  return false;
}

void removeFile(const std::string& path) { _wremove(widePath(path).c_str()); }

// A DOS device name (LPT1) or a shared printer is a device wherever it stands; Windows' pipes are
// named \\.\pipe\..., which isDeviceOrPipe takes as devices too.
FileKind fileKindOf(const std::string& path) {
  if (isDeviceOrPipe(path)) return FileKind::kCharacterDevice;
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FileKind::kNothing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::kOther : FileKind::kPlainFile;
}

// Windows' names ignore the case of ASCII letters, and its devices are the same by name alone.
bool sameFile(const std::string& a, const std::string& b) {
  return upperAscii(fullPathOf(a)) == upperAscii(fullPathOf(b));
}
