// Paths arrive in UTF-8 and are handed to the wide-character calls, so that a name with Polish
// letters works whatever the system's ANSI code page.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/wide_text_win32.h"

namespace {

std::wstring widePath(const std::string& path) { return wideFromCodePage(path, CP_UTF8); }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

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

// \\server\printer: a shared printer. A file on a share needs a third part,
// \\server\share\file.
bool isSharedPrinterPath(const std::string& path) {
  if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) return false;
  if (path[2] == '.' || path[2] == '?') return true;  // \\.\name and \\?\ device paths.
  int parts = 0;
  bool inPart = false;
  for (size_t i = 2; i < path.size(); ++i) {
    if (isSeparator(path[i])) {
      inPart = false;
    } else if (!inPart) {
      inPart = true;
      ++parts;
    }
  }
  return parts == 2;
}

}  // namespace

bool isDeviceOrPipe(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !isSeparator(path[start - 1])) --start;
  return isDosDeviceName(path.substr(start)) || isSharedPrinterPath(path);
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool fileExists(const std::string& path) {
  return GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::FILE* openFileForReading(const std::string& path) {
  return _wfopen(widePath(path).c_str(), L"rb");
}

bool sizeOfOpenFile(std::FILE* file, std::uint64_t& size) {
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
    return false;
  }
  size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::FILE* createFileBeside(const std::string& path, std::string& createdPath,
                            std::string& reason) {
  size_t start = path.size();
  while (start > 0 && !isSeparator(path[start - 1])) --start;
  const std::string stem = path.substr(0, start) + "." + path.substr(start) + "." +
                           std::to_string(GetCurrentProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    createdPath = stem + "-" + std::to_string(attempt);
    int descriptor = -1;
    const errno_t error =
        _wsopen_s(&descriptor, widePath(createdPath).c_str(),
                  _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
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

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  reason = systemMessage(GetLastError());
  return false;
}

void removeFile(const std::string& path) { _wremove(widePath(path).c_str()); }
