#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_beside.h"
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
  reason = folder + ": " + fileErrorText(ENOTDIR);
  return false;
}

bool writeMachineFile(const std::string& path, const std::string& bytes, std::string& reason) {
  FileBeside beside;
  if (!startFileBeside(path, NewFileAccess::kUsual, beside, reason)) return false;
  errno = 0;
  // Every user reads the copies, whatever root's umask.
  bool written = fchmod(fileno(beside.file), 0644) == 0 &&
                 std::fwrite(bytes.data(), 1, bytes.size(), beside.file) == bytes.size();
  if (!written) reason = fileErrorText(errno != 0 ? errno : EIO);
  written =
      written && completeFileBeside(beside, reason) && putFileBesideInPlace(beside, path, reason);
  dropFileBeside(beside);
  return written;
}
