#ifndef TIMETABLE_DRIVER_FORM_OUTPUT_H_
#define TIMETABLE_DRIVER_FORM_OUTPUT_H_

#include <string>
#include <vector>

#include "printer/printer_stream.h"

// Where the printed form goes.
enum class FormOutputKind {
  kDevice,        // LPT1, or a device or pipe named with -o: the printer's bytes, directly.
  kBytesFile,     // A file of the printer's bytes.
  kRenderedFile,  // A PDF, PNG or SVG of the form as the printer prints it.
  kSpooler,       // A raw job on a printer of the system's spooler.
};

struct FormOutput {
  FormOutputKind kind = FormOutputKind::kDevice;
  std::string name = kPrinterDevice;
};

// The output the command line's -o file or --printer name asks for; LPT1 when both are empty.
FormOutput chooseFormOutput(const std::string& outputFile, const std::string& spoolerPrinter);

// Checks what can be checked before the run asks or fetches anything: that a file can be
// written in its folder, that the spooler has the printer. A failure is thrown as
// std::runtime_error.
void checkFormOutput(const FormOutput& output);

PrinterStream openFormOutput(const FormOutput& output, const std::string& trainNumber);

// Closes the stream; a rendered form is drawn and written now. Returns the warnings to show.
std::vector<std::string> closeFormOutput(const FormOutput& output, PrinterStream& stream);

#endif  // TIMETABLE_DRIVER_FORM_OUTPUT_H_
