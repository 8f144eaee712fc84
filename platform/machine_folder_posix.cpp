#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/machine_folder.h"

std::string machineCopiesFolder() { return "/var/cache/timetable-print"; }

bool runsAsAdministrator() { return geteuid() == 0; }

bool makeMachineFolder(const std::string& folder, std::string& reason) {
  for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
    const std::string part = folder.substr(0, at);
    // Whatever the umask: every user reads the copies.
    const bool made = mkdir(part.c_str(), 0755) == 0;
    if ((!made && errno != EEXIST) || (made && chmod(part.c_str(), 0755) != 0)) {
      reason = part + ": " + fileErrorText(errno);
      return false;
    }
    if (at == std::string::npos) break;
  }
  if (isFolder(folder)) return true;
  reason = folder + ": " + std::strerror(ENOTDIR);
  return false;
}

bool writeMachineFile(const std::string& path, const std::string& bytes, std::string& reason) {
  std::string created;
  std::FILE* file = createFileBeside(path, created, reason);
  if (file == nullptr) return false;
  // Every user reads the copies, whatever root's umask.
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                       std::fflush(file) == 0 && fchmod(fileno(file), 0644) == 0 &&
                       fsync(fileno(file)) == 0;
  const int error = errno;
  if (std::fclose(file) == 0 && written && replaceFile(created, path, reason)) return true;
  if (reason.empty()) reason = fileErrorText(error != 0 ? error : EIO);
  removeFile(created);
  return false;
}
