#ifndef TIMETABLE_PRINTER_DESTINATION_H_
#define TIMETABLE_PRINTER_DESTINATION_H_

#include <memory>
#include <stdexcept>
#include <string>
#include <variant>

#include "preview/rendered_format.h"
#include "printer/printer_device.h"

// The printer every run prints on unless told otherwise.
extern const char* const kPrinterDevice;

// A printer port, a device or a pipe: the printer's bytes, written directly. An advice, when
// there is one, is the whole error of a device that cannot be opened, {0} for its name and {1}
// for the reason, which shows the way to another printer for a user who named none.
struct DeviceDestination {
  std::string device;
  std::string advice;
  // The device as prepareDestination opened it, when it must stay open until the form is
  // printed (probePrinterDevice); the printer stream takes it from here.
  std::shared_ptr<DeviceFile> opened;
};

// A file of the printer's bytes, put in place when the form is complete; with view, then opened
// with the desktop's viewer. An advice, as a device's, frames the error of a file that cannot be
// written, as withAdvice puts it.
struct BytesFileDestination {
  std::string path;
  bool view = false;
  std::string advice;
};

// A PDF, PNG or SVG file of the form as the printer prints it, drawn when the form is complete;
// with view, then opened with the desktop's viewer. For the screen, path is empty and
// screenFolder the user's temporary folder, where the PDF is named for the document and the time
// it is written (screenFilePath).
struct RenderedFileDestination {
  std::string path;
  RenderedFormat format = RenderedFormat::kPdf;
  bool view = false;
  std::string screenFolder;
};

// One raw job of the printer's bytes on a printer of the system's spooler, for a dot-matrix
// printer. unknownPrinterError, when there is one, is the whole error when the spooler has no
// such printer, {0} for its name.
struct SpoolDestination {
  std::string printer;
  std::string unknownPrinterError;
};

// One job of the form drawn as pages, as the PDF shows it, on a printer of the system's spooler
// of any kind; an empty name stands for the spooler's default printer until prepareDestination
// puts that printer's name in its place. noDefaultPrinterError, when there is one, is the whole
// error when the spooler has no default printer.
struct DrawnDestination {
  std::string printer;
  std::string noDefaultPrinterError;
  std::string unknownPrinterError;  // As a SpoolDestination's.
};

// Where the printed form goes.
using Destination = std::variant<DeviceDestination, BytesFileDestination, RenderedFileDestination,
                                 SpoolDestination, DrawnDestination>;

// What the command line asks for: -o FILE, --printer NAME, --drawn, --view. The advice, which
// the caller words as the user can take it (an option, a Start-menu entry), is the error of the
// printer the user did not choose: printerDeviceAdvice for kPrinterDevice, {0} for its name and
// {1} for the reason; noDefaultPrinterError for --drawn when the spooler has no default printer;
// unknownPrinterError for a printer the spooler does not have, {0} for its name.
// Without them the errors say only what failed.
struct DestinationRequest {
  std::string outputFile;
  std::string printer;
  bool drawn = false;
  bool view = false;
  // The outputFile gets the printer's bytes whatever its name ends in: a device or a file that a
  // site named as the destination, not a name the user chose a format by.
  bool printerBytes = false;
  std::string printerDeviceAdvice;
  std::string noDefaultPrinterError;
  std::string unknownPrinterError;
};

// The destination the command line asks for; kPrinterDevice when it names none, with the
// request's advice: a device, or where kPrinterDevice is a plain file (or nothing
// yet) that a new file beside it may replace, a file of printer bytes, put in place complete.
// A device or a pipe
// named with -o, or a path of an open descriptor such as /dev/stdout, is written directly, as
// LPT1 is; a name ending in .pdf, .png or .svg gets the drawn form; any other name gets the
// printer's bytes. --drawn prints the drawn form on the printer named, or the default one;
// --view alone asks for a PDF in the temporary folder.
Destination chooseDestination(const DestinationRequest& request);

// Where the form goes, in the user's words ("the printer LPT1", "drawn pages on the printer
// Office"), for --check and the support log.
std::string destinationText(const Destination& destination);

// The error text what, as the reason inside the advice when there is one.
std::string withAdvice(const std::string& what, const std::string& advice);

// The error of a device that cannot be opened, for the reason given: with the way to another
// printer for the one the user did not choose, else the advice to check the printer.
std::runtime_error deviceOpenError(const DeviceDestination& device, const std::string& reason);

// Resolves what the system decides, once, into the destination (the spooler's default printer
// for --drawn alone), and checks what can be checked before the run asks or fetches anything:
// that a file can be written in its folder, that a device can be opened (probePrinterDevice,
// which keeps a pipe open), that the spooler has the printer, and that no symbolic link on the
// way to a file or device is one another user may have planted (isPlantedLink). Nothing is
// written to a device before the form. A failure is thrown as std::runtime_error.
void prepareDestination(Destination& destination);

// A new, empty file in the folder for a PDF of the document to be shown on screen, named for the
// document and the local time and a part no one can predict; its path. A failure is thrown as
// std::runtime_error.
std::string screenFilePath(const std::string& folder, const std::string& documentName);

#endif  // TIMETABLE_PRINTER_DESTINATION_H_
