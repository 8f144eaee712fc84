#ifndef TIMETABLE_PRINTER_PRINTER_STREAM_H_
#define TIMETABLE_PRINTER_PRINTER_STREAM_H_

#include <cstdio>
#include <memory>
#include <string>

extern const char* const kPrinterDevice;

// The open printer. Text written to it is printer code: each character below 256 is the byte
// the printer receives.
struct PrinterStream {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> device{nullptr, std::fclose};
};

// The bytes the printer receives for a text: each character's value as one byte, "?" for a
// value of 256 or above, and carriage return and line feed for each line feed unless the device
// adds the carriage returns itself.
std::string printerBytes(const std::wstring& text, bool deviceAddsCarriageReturns);

// Opens kPrinterDevice; a device that cannot be opened is thrown as std::runtime_error naming it
// and the reason.
PrinterStream openPrinterStream();

// Writes the text and hands it to the device at once, so that a text that returns has reached
// it. A write error is thrown as std::runtime_error.
void writeToPrinter(PrinterStream& stream, const std::wstring& text);

// Closes the device; an error in writing out the last bytes is thrown as std::runtime_error.
void closePrinterStream(PrinterStream& stream);

#endif  // TIMETABLE_PRINTER_PRINTER_STREAM_H_
