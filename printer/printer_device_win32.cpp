#include <share.h>

#include "platform/wide_text_win32.h"
#include "printer/printer_device.h"

// Text mode, so the runtime writes carriage return and line feed for every line feed.
std::FILE* openPrinterDevice(const std::string& deviceName) {
  return _wfsopen(wideFromCodePage(deviceName, CP_UTF8).c_str(), L"w", _SH_DENYNO);
}

// A port is opened once, here, and kept: opening it tells whether it can be, and it stays the
// program's until the form is printed.
bool probePrinterDevice(const std::string& deviceName, DeviceFile& kept) {
  kept.reset(openPrinterDevice(deviceName));
  return kept != nullptr;
}

bool printerDeviceAddsCarriageReturns() { return true; }
