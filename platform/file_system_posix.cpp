#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_system.h"

bool isDeviceOrPipe(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

bool isFolder(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

std::FILE* openFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

bool sizeOfOpenFile(std::FILE* file, std::uint64_t& size) {
  struct stat status;
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::FILE* createFileBeside(const std::string& path, std::string& createdPath,
                            std::string& reason) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string pattern = folder + "." + name + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int descriptor = mkstemp(buffer.data());
  if (descriptor < 0) {
    reason = std::strerror(errno);
    return nullptr;
  }
  createdPath = buffer.data();
  // mkstemp makes the file private to its owner; the finished file gets the permissions any
  // newly created file would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(descriptor, static_cast<mode_t>(0666 & ~mask));
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    close(descriptor);
    std::remove(createdPath.c_str());
  }
  return file;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }
