#include "printer/printer_device.h"

std::FILE* openPrinterDevice(const std::string& deviceName) {
  return std::fopen(deviceName.c_str(), "wb");
}

bool printerDeviceAddsCarriageReturns() { return false; }
