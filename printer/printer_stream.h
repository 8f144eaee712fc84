#ifndef TIMETABLE_PRINTER_PRINTER_STREAM_H_
#define TIMETABLE_PRINTER_PRINTER_STREAM_H_

#include <cstdio>
#include <memory>
#include <string>

#include "printer/output_file.h"
#include "printer/spooler.h"

// The printer every run prints on unless told otherwise.
extern const char* const kPrinterDevice;

// Where the printer bytes go.
enum class PrinterKind {
  kDevice,   // A printer port, a device or a pipe, written directly.
  kFile,     // A file, put in place when the form is complete.
  kSpooler,  // One raw job of the system's print spooler.
  kMemory,   // Kept in the stream, for the caller to use once it is closed.
};

// The open printer. Text written to it is printer code: each character below 256 is the byte
// the printer receives. Only the members of its kind are in use.
struct PrinterStream {
  PrinterKind kind = PrinterKind::kDevice;
  std::string name;  // The device, file or spooler printer, for messages.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> device{nullptr, std::fclose};
  PendingFileHandle file{nullptr, discardPendingFile};
  SpoolJobHandle job{nullptr, cancelUnfinishedSpoolJob};
  std::string bytes;  // kMemory: everything written.
};

// The bytes the printer receives for a text: each character's value as one byte, "?" for a
// value of 256 or above, and carriage return and line feed for each line feed unless the device
// adds the carriage returns itself.
std::string printerBytes(const std::wstring& text, bool deviceAddsCarriageReturns);

// Opens kPrinterDevice, or the device named. A device that cannot be opened is thrown as
// std::runtime_error naming it and the reason.
PrinterStream openPrinterStream();
PrinterStream openPrinterDeviceStream(const std::string& device);

// Starts a file that replaces any file at path once the stream is closed; until then path is
// left as it was.
PrinterStream openPrinterFileStream(const std::string& path);

// Starts a raw job on the spooler's printer.
PrinterStream openSpoolerStream(const std::string& printer, const std::string& documentName);

PrinterStream openMemoryStream();

// Writes the text and hands it on at once, so that a text that returns has reached the device,
// the file or the spooler. A write error is thrown as std::runtime_error.
void writeToPrinter(PrinterStream& stream, const std::wstring& text);

// Closes the stream: the device is closed, the file put in place, the job ended. An error is
// thrown as std::runtime_error. Returns a warning when the spooler did not print the job it
// accepted, otherwise an empty text.
std::string closePrinterStream(PrinterStream& stream);

#endif  // TIMETABLE_PRINTER_PRINTER_STREAM_H_
