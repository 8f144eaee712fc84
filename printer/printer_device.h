#ifndef TIMETABLE_PRINTER_PRINTER_DEVICE_H_
#define TIMETABLE_PRINTER_PRINTER_DEVICE_H_

#include <cstdio>
#include <memory>
#include <string>

// A printer device open for writing, closed with its handle.
using DeviceFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Opens a printer by its device name (UTF-8) for writing, with sharing allowed, or returns null
// with errno set. On Windows this is a port such as LPT1 or a shared printer's \\host\name;
// elsewhere a path relative to the working directory: a file, or a device, or a pipe.
std::FILE* openPrinterDevice(const std::string& deviceName);

// Opens the printer as openPrinterDevice would, before the dialogue, so that a printer that cannot
// be opened is known before anything is asked; false with errno set when it cannot be. A pipe
// nobody reads fails at once (ENXIO) rather than waiting for a reader. kept gets the open device
// when it must stay open until the form is printed: a pipe, whose reader would take its closing
// for the end of the form; otherwise kept stays empty and printing opens the device again, so
// that a plain file is emptied only when the form is printed.
bool probePrinterDevice(const std::string& deviceName, DeviceFile& kept);

// Whether the opened device turns each line feed into carriage return and line feed itself
// (Windows' text mode); where it does not, the stream adds the carriage returns.
bool printerDeviceAddsCarriageReturns();

#endif  // TIMETABLE_PRINTER_PRINTER_DEVICE_H_
