#include <share.h>

#include "platform/wide_text_win32.h"
#include "printer/printer_device.h"

// Text mode, so the runtime writes carriage return and line feed for every line feed.
std::FILE* openPrinterDevice(const std::string& deviceName) {
  return _wfsopen(wideFromCodePage(deviceName, CP_UTF8).c_str(), L"w", _SH_DENYNO);
}

bool printerDeviceAddsCarriageReturns() { return true; }
