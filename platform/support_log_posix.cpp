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
#include "platform/trusted_file_posix.h"
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

// Why the opened log is not the user's alone, or empty.
std::string refusalOfStatus(const std::string& path, const struct stat& status) {
  const TrustFault fault = faultOfStatus(status, TrustRule::kUsersAlone, false);
  return fault == TrustFault::kNone ? std::string()
                                    : trustRefusal(path, fault, TrustRule::kUsersAlone);
}

// Opens the file as it stands in its folder, never through a link in its place; -1 with errno
// set, ELOOP for a link.
int openInPlace(const std::string& path, int flags) {
  return open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
}

}  // namespace

std::string supportLogFolder() { return xdgProgramFolder("XDG_STATE_HOME", ".local/state"); }

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
  reason = refusalOfStatus(path, status);
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
  if (fstat(descriptor, &status) == 0 && refusalOfStatus(path, status).empty()) {
    const off_t start = status.st_size > limit ? status.st_size - limit : 0;
    std::vector<char> buffer(static_cast<size_t>(status.st_size - start));
    const ssize_t count = pread(descriptor, buffer.data(), buffer.size(), start);
    if (count > 0) tail.assign(buffer.data(), static_cast<size_t>(count));
  }
  close(descriptor);
  return tail;
}

unsigned long processNumber() { return static_cast<unsigned long>(getpid()); }

unsigned long systemErrorCode() { return 0; }

void setSystemErrorCode(unsigned long) {}
