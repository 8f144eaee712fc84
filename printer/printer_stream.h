#ifndef TIMETABLE_PRINTER_PRINTER_STREAM_H_
#define TIMETABLE_PRINTER_PRINTER_STREAM_H_

#include <cstdio>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/output_file.h"
#include "preview/rendered_format.h"
#include "printer/destination.h"
#include "printer/spooler.h"

// A printer port, a device or a pipe, open for writing.
struct OpenDevice {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, std::fclose};
  std::string name;  // For messages.
};

// A file of printer bytes under way, put in place when the stream is closed.
struct OpenFile {
  PendingFileHandle pending{nullptr, discardPendingFile};
  bool view = false;  // Opened with the desktop's viewer once in place.
};

// A form kept whole until the stream is closed, when it is drawn into its files.
struct FormToRender {
  std::string path;
  RenderedFormat format = RenderedFormat::kPdf;
  bool view = false;  // Opened with the desktop's viewer once written.
  std::string bytes;
};

// A form kept whole until the stream is closed, when it is drawn as pages and printed.
struct FormToDraw {
  std::string printer;
  std::string documentName;
  std::string bytes;
};

// The open printer: what receives the bytes of its destination. Text written to it is printer
// code: each character below 256 is the byte the printer receives.
using PrinterStream = std::variant<OpenDevice, OpenFile, SpoolJobHandle, FormToRender, FormToDraw>;

// What closing a stream has to tell the user.
struct StreamEnd {
  // A job the spooler did not print, skipped commands, files of an earlier form.
  std::vector<std::string> warnings;
  // A file that could not be shown on screen, pages a single file leaves out.
  std::vector<std::string> notices;
  // The file shown on screen, as it was named when written (the screen's PDF gets its name
  // then); empty when none was shown.
  std::string shownFile;
};

// The bytes the printer receives for a text: each character's value as one byte, "?" for a
// value of 256 or above, and carriage return and line feed for each line feed unless the device
// adds the carriage returns itself.
std::string printerBytes(const std::wstring& text, bool deviceAddsCarriageReturns);

// Opens the destination, prepared (prepareDestination): a device now, a file beside its final
// name, a job on the spooler with the document name given (a form to draw or to show on screen
// is kept until it is closed; a PDF for the screen is named for the document). A failure is
// thrown as std::runtime_error naming the destination and the reason, and the destination's
// advice.
PrinterStream openPrinterStream(const Destination& destination, const std::string& documentName);

// Writes the text and hands it on at once, so that a text that returns has reached the device,
// the file or the spooler; a form to draw or to show keeps it in memory until it is closed. A
// write error is thrown as std::runtime_error.
void writeToPrinter(PrinterStream& stream, const std::wstring& text);

// Writes the printer's bytes as printerBytes makes them for a device that adds the carriage
// returns itself (the form's text, one byte a character), as writeToPrinter writes that text:
// a form kept from an earlier run reaches every destination as it did when printed anew.
void writeBytesToPrinter(PrinterStream& stream, const std::string& bytes);

// Closes the stream: the device is closed, the file put in place, the job ended, the form drawn
// into its files or printed as pages; a file to view is then opened with the desktop's viewer.
// An error is thrown as std::runtime_error.
StreamEnd closePrinterStream(PrinterStream& stream);

#endif  // TIMETABLE_PRINTER_PRINTER_STREAM_H_
