#include <share.h>

#include "platform/wide_text_win32.h"
#include "printer/printer_device.h"

// Text mode, so the runtime writes carriage return and line feed for every line feed.
std::FILE* openPrinterDevice(const std::string& deviceName) {
  return _wfsopen(wideFromCodePage(deviceName, CP_UTF8).c_str(), L"w", _SH_DENYNO);
}

// A port is opened without emptying what it names (append mode), which tells whether it can be
// opened, and closed again: printing opens it anew, so that a file standing for the port keeps
// its earlier form when the run ends before printing. Nothing is kept.
bool probePrinterDevice(const std::string& deviceName, DeviceFile&) {
  std::FILE* file = _wfsopen(wideFromCodePage(deviceName, CP_UTF8).c_str(), L"a", _SH_DENYNO);
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool printerDeviceAddsCarriageReturns() { return true; }
