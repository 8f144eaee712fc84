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

bool printerDeviceAddsCarriageReturns() { return false; }
