#ifndef TIMETABLE_PRINTER_PRINTER_DEVICE_H_
#define TIMETABLE_PRINTER_PRINTER_DEVICE_H_

#include <cstdio>
#include <string>

// Opens a printer by its device name (UTF-8) for writing, with sharing allowed, or returns null
// with errno set. On Windows this is a port such as LPT1 or a shared printer's \\host\name;
// elsewhere a path relative to the working directory: a file, or a device, or a pipe.
std::FILE* openPrinterDevice(const std::string& deviceName);

// Whether the opened device turns each line feed into carriage return and line feed itself
// (Windows' text mode); where it does not, the stream adds the carriage returns.
bool printerDeviceAddsCarriageReturns();

#endif  // TIMETABLE_PRINTER_PRINTER_DEVICE_H_
