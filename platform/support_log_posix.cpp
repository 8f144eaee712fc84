// The log lies where the XDG base directories put a program's state: data that outlives a run
// but is no document of the user's.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/support_log.h"
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

}  // namespace

std::string supportLogFolder() { return xdgProgramFolder("XDG_STATE_HOME", ".local/state"); }

// As the XDG base directories ask: the user's alone.
void createFolder(const std::string& folder) { mkdir(folder.c_str(), 0700); }

int64_t sizeOfFile(const std::string& path) {
  struct stat status = {};
  if (stat(path.c_str(), &status) != 0) return -1;
  return static_cast<int64_t>(status.st_size);
}

// Not inherited by the programs the run starts (the viewer); a pipe put in its place fails at
// once rather than wait for a reader; and only a plain file is written, never a device or a
// terminal that a link might name.
bool appendToFile(const std::string& path, const std::string& bytes) {
  const int descriptor =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
  if (descriptor < 0) return false;
  struct stat status = {};
  bool written = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                 mayGrowBy(descriptor, bytes.size());
  written = written &&
            write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  close(descriptor);
  return written;
}

unsigned long processNumber() { return static_cast<unsigned long>(getpid()); }

unsigned long systemErrorCode() { return 0; }

void setSystemErrorCode(unsigned long) {}
