#ifndef TIMETABLE_PRINTER_PRINTER_DEVICE_H_
#define TIMETABLE_PRINTER_PRINTER_DEVICE_H_

#include <cstdio>

// Opens the printer by its device name for writing, with sharing allowed, or returns null with
// errno set. On Windows this is the port itself; elsewhere a path relative to the working
// directory: a file, or a link to a printer device or to a pipe feeding a raw print queue.
std::FILE* openPrinterDevice(const char* deviceName);

// Whether the opened device turns each line feed into carriage return and line feed itself
// (Windows' text mode); where it does not, the stream adds the carriage returns.
bool printerDeviceAddsCarriageReturns();

#endif  // TIMETABLE_PRINTER_PRINTER_DEVICE_H_
