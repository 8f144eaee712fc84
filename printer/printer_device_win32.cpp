#include <share.h>

#include "printer/printer_device.h"

// Text mode, so the runtime writes carriage return and line feed for every line feed.
std::FILE* openPrinterDevice(const char* deviceName) {
  return _fsopen(deviceName, "w", _SH_DENYNO);
}

bool printerDeviceAddsCarriageReturns() { return true; }
