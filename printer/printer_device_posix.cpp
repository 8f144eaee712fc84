#include "printer/printer_device.h"

std::FILE* openPrinterDevice(const char* deviceName) { return std::fopen(deviceName, "wb"); }

bool printerDeviceAddsCarriageReturns() { return false; }
