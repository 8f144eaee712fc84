#ifndef TIMETABLE_PRINTER_DESTINATION_H_
#define TIMETABLE_PRINTER_DESTINATION_H_

#include <string>
#include <variant>

// The printer every run prints on unless told otherwise.
extern const char* const kPrinterDevice;

// A printer port, a device or a pipe: the printer's bytes, written directly.
struct DeviceDestination {
  std::string device;
};

// A file of the printer's bytes, put in place when the form is complete; with view, then opened
// with the desktop's viewer.
struct BytesFileDestination {
  std::string path;
  bool view = false;
};

// A PDF, PNG or SVG file of the form as the printer prints it, drawn when the form is complete;
// with view, then opened with the desktop's viewer. An empty path stands for a PDF in the user's
// temporary folder, named for the document and the time it is written.
struct RenderedFileDestination {
  std::string path;
  bool view = false;
};

// One raw job of the printer's bytes on a printer of the system's spooler, for a dot-matrix
// printer.
struct SpoolDestination {
  std::string printer;
};

// One job of the form drawn as pages, as the PDF shows it, on a printer of the system's spooler
// of any kind; an empty name stands for the spooler's default printer.
struct DrawnDestination {
  std::string printer;
};

// Where the printed form goes.
using Destination = std::variant<DeviceDestination, BytesFileDestination, RenderedFileDestination,
                                 SpoolDestination, DrawnDestination>;

// What the command line asks for: -o FILE, --printer NAME, --drawn, --view.
struct DestinationRequest {
  std::string outputFile;
  std::string printer;
  bool drawn = false;
  bool view = false;
};

// The destination the command line asks for; kPrinterDevice when it names none. A device or a
// pipe named with -o is written directly, as LPT1 is; a name ending in .pdf, .png or .svg gets
// the drawn form; any other name gets the printer's bytes. --drawn prints the drawn form on the
// printer named, or the default one; --view alone asks for a PDF in the temporary folder.
Destination chooseDestination(const DestinationRequest& request);

// Checks what can be checked before the run asks or fetches anything: that a file can be
// written in its folder, that the spooler has the printer or a default one. A device is only
// opened once the dialogue is over, so that an early end never touches the printer. A failure is
// thrown as std::runtime_error.
void checkDestination(const Destination& destination);

// A path in the user's temporary folder for a PDF of the document to be shown on screen: the
// document's name and the local time, with a number added when a file of that name exists.
std::string screenFilePath(const std::string& documentName);

#endif  // TIMETABLE_PRINTER_DESTINATION_H_
