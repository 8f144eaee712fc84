#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "printer/printer_device.h"

std::FILE* openPrinterDevice(const std::string& deviceName) {
  // A descriptor's path, such as /dev/stdout, gets the bytes where the descriptor points, from
  // where it stands: opened again, a file would be emptied, and a socket could not be opened.
  const int descriptor = descriptorNamedBy(deviceName);
  if (descriptor < 0) return std::fopen(deviceName.c_str(), "wb");
  const int copy = dup(descriptor);
  if (copy < 0) return nullptr;
  std::FILE* file = fdopen(copy, "wb");
  if (file == nullptr) {
    const int error = errno;
    close(copy);
    errno = error;
  }
  return file;
}

namespace {

// Whether a file of that name could be created, as printing creates a device that is not there:
// in the folder of what a link leads to, which must exist. errno says why not.
bool mayCreate(const std::string& deviceName) {
  const std::string target = linkTargetOf(deviceName);
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

bool probePrinterDevice(const std::string& deviceName, DeviceFile& kept) {
  // Open already: it must be open for writing, or the form's first write would fail.
  const int opened = descriptorNamedBy(deviceName);
  if (opened >= 0) {
    const int flags = fcntl(opened, F_GETFL);
    if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY) return true;
    errno = EBADF;
    return false;
  }
  // Without O_NONBLOCK a pipe nobody reads would hold the open forever; without O_TRUNC a file
  // keeps what it holds until the form is printed.
  const int descriptor = open(deviceName.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return errno == ENOENT && mayCreate(deviceName);
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISFIFO(status.st_mode)) {
    close(descriptor);
    return true;
  }
  // The pipe's writes wait for its reader, as they would had it been opened for printing.
  const int flags = fcntl(descriptor, F_GETFL);
  std::FILE* file = flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0
                        ? nullptr
                        : fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int error = errno;
    close(descriptor);
    errno = error;
    return false;
  }
  kept.reset(file);
  return true;
}

bool printerDeviceAddsCarriageReturns() { return false; }
