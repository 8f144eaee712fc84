#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/translation.h"

namespace {

// Short enough for a dot, a process number and a counter, or mkstemp's ".XXXXXX", to fit in the
// 255 bytes (or UTF-16 units, never more than the bytes) a file name may have.
const size_t kKeptNameBytes = 200;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string pathInFolder(const std::string& folder, const std::string& name) {
  const bool ended = !folder.empty() && (folder.back() == '/' || folder.back() == kPathSeparator);
  return ended ? folder + name : folder + kPathSeparator + name;
}

std::string temporaryNameStart(const std::string& name) {
  size_t kept = name.size();
  if (kept > kKeptNameBytes) {
    kept = kKeptNameBytes;
    while (kept > 0 && isContinuationByte(name[kept])) --kept;
  }
  return "." + name.substr(0, kept);
}

std::string fileErrorText(int error) {
  switch (error) {
    case ENOENT:
      return translate("there is no such file or folder");
    case ENOTDIR:
      return translate("a part of the path is not a folder");
    case EISDIR:
      return translate("it is a folder");
    default:
      return std::strerror(error);
  }
}

FileBytes readStreamUpTo(std::FILE* file, size_t limit) {
  FileBytes read;
  char buffer[65536];
  errno = 0;
  while (read.bytes.size() <= limit) {
    const size_t wanted = std::min(sizeof buffer, limit + 1 - read.bytes.size());
    const size_t count = std::fread(buffer, 1, wanted, file);
    if (count == 0) break;
    read.bytes.append(buffer, count);
  }
  if (std::ferror(file)) {
    read.error = errno != 0 ? errno : EIO;
    read.reason = fileErrorText(read.error);
  }
  return read;
}

std::string notRegularFileText() {
  return translate("it is not a regular file but a folder, a device or a pipe");
}

namespace {

using OpenFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Opens the file for readFileUpTo; null, with why in read, when it cannot be read.
OpenFile openForReadingUpTo(const std::string& path, bool regularOnly, FileBytes& read) {
  errno = 0;
  OpenFile file(
      regularOnly ? openRegularFileForReading(path, read.notRegular) : openFileForReading(path),
      std::fclose);
  if (read.notRegular) {
    read.reason = notRegularFileText();
  } else if (!file) {
    read.error = errno != 0 ? errno : EIO;
    read.reason = fileErrorText(read.error);
  }
  return file;
}

}  // namespace

FileBytes readFileUpTo(const std::string& path, size_t limit, bool regularOnly) {
  FileBytes read;
  const OpenFile file = openForReadingUpTo(path, regularOnly, read);
  if (!file) return read;
  return readStreamUpTo(file.get(), limit);
}
