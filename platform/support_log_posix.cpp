// The log lies where the XDG base directories put a program's state: data that outlives a run
// but is no document of the user's.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/xdg_base_posix.h"

namespace {

// Whether the file may grow by bytes under the process's file size limit: past it the write
// would end the process with SIGXFSZ, which a log must never do to a run.
bool mayGrowBy(int descriptor, size_t bytes) {
  struct rlimit limit = {};
  if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return true;
  struct stat status = {};
  if (fstat(descriptor, &status) != 0) return false;
  return static_cast<rlim_t>(status.st_size) + bytes <= limit.rlim_cur;
}

// Why what the status describes is not the user's alone, or empty. A file has one name only: a
// hard link made elsewhere would let the log be read, or written, under another name.
std::string refusalOfStatus(const std::string& path, const struct stat& status, bool folder) {
  if (folder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode) || status.st_nlink != 1) {
    return formatMessage(translate("{0}: it is not a plain file of its own"), {path});
  }
  if (status.st_uid != geteuid()) {
    return formatMessage(translate("{0}: another user owns it"), {path});
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return formatMessage(translate("{0}: others may write it"), {path});
  }
  return std::string();
}

// Opens the file as it stands in its folder, never through a link in its place; -1 with errno
// set, ELOOP for a link.
int openInPlace(const std::string& path, int flags) {
  return open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
}

}  // namespace

std::string supportLogFolder() { return xdgProgramFolder("XDG_STATE_HOME", ".local/state"); }

// As the XDG base directories ask: the user's alone.
void createFolder(const std::string& folder, std::string& reason) {
  if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
  reason = formatMessage("{0}: {1}", {folder, fileErrorText(errno)});
}

std::string logPlaceRefusal(const std::string& path, bool folder) {
  struct stat status = {};
  // A folder is taken where it leads (the user may have moved ~/.local/state elsewhere); links
  // planted by others on the way are refused before this.
  if ((folder ? stat(path.c_str(), &status) : lstat(path.c_str(), &status)) != 0) {
    return std::string();
  }
  return refusalOfStatus(path, status, folder);
}

int64_t sizeOfFile(const std::string& path) {
  struct stat status = {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  return static_cast<int64_t>(status.st_size);
}

// Not inherited by the programs the run starts (the viewer); a pipe put in its place fails at
// once rather than wait for a reader; and only a plain file of the user's is written, never a
// link, a device or a terminal.
bool appendToFile(const std::string& path, const std::string& bytes, std::string& reason) {
  const int descriptor = openInPlace(path, O_WRONLY | O_APPEND | O_CREAT);
  if (descriptor < 0) {
    reason = formatMessage("{0}: {1}", {path, fileErrorText(errno)});
    return false;
  }
  struct stat status = {};
  if (fstat(descriptor, &status) != 0) {
    reason = formatMessage("{0}: {1}", {path, fileErrorText(errno)});
    close(descriptor);
    return false;
  }
  reason = refusalOfStatus(path, status, false);
  if (!reason.empty() || !mayGrowBy(descriptor, bytes.size())) {
    if (reason.empty()) reason = formatMessage("{0}: {1}", {path, std::strerror(EFBIG)});
    close(descriptor);
    return false;
  }
  const ssize_t written = write(descriptor, bytes.data(), bytes.size());
  const bool whole = written == static_cast<ssize_t>(bytes.size());
  if (!whole) {
    reason = formatMessage("{0}: {1}", {path, std::strerror(written < 0 ? errno : ENOSPC)});
    // A part of a line (a full disk) is taken back, so that the next line starts a line of its
    // own; unless another run has written after it since, whose line is whole.
    const off_t end = lseek(descriptor, 0, SEEK_CUR);
    struct stat now = {};
    if (written > 0 && end >= written && fstat(descriptor, &now) == 0 && now.st_size == end) {
      const int truncated = ftruncate(descriptor, end - written);
      static_cast<void>(truncated);
    }
  }
  close(descriptor);
  return whole;
}

std::string tailOfFile(const std::string& path, int64_t limit) {
  const int descriptor = openInPlace(path, O_RDONLY);
  if (descriptor < 0) return std::string();
  struct stat status = {};
  std::string tail;
  if (fstat(descriptor, &status) == 0 && refusalOfStatus(path, status, false).empty()) {
    const off_t start = status.st_size > limit ? status.st_size - limit : 0;
    std::vector<char> buffer(static_cast<size_t>(status.st_size - start));
    const ssize_t count = pread(descriptor, buffer.data(), buffer.size(), start);
    if (count > 0) tail.assign(buffer.data(), static_cast<size_t>(count));
  }
  close(descriptor);
  return tail;
}

// mkstemp makes the file 0600, which it keeps.
bool replaceWithPrivateFile(const std::string& path, const std::string& bytes) {
  std::string pattern = path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = mkostemp(name.data(), O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool written =
      write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (close(descriptor) == 0 && written && std::rename(name.data(), path.c_str()) == 0) {
    return true;
  }
  unlink(name.data());
  return false;
}

bool renameFile(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

unsigned long processNumber() { return static_cast<unsigned long>(getpid()); }

unsigned long systemErrorCode() { return 0; }

void setSystemErrorCode(unsigned long) {}
