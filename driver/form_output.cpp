#include "driver/form_output.h"

#include "preview/rendering.h"
#include "printer/file_system.h"
#include "printer/output_file.h"
#include "printer/spooler.h"

FormOutput chooseFormOutput(const std::string& outputFile, const std::string& spoolerPrinter) {
  FormOutput output;
  RenderedFormat format;
  if (!spoolerPrinter.empty()) {
    output = {FormOutputKind::kSpooler, spoolerPrinter};
  } else if (outputFile.empty()) {
    output = {FormOutputKind::kDevice, kPrinterDevice};
  } else if (isDeviceOrPipe(outputFile)) {
    // A device or a pipe cannot be replaced by a file: it gets the printer's bytes as LPT1 does.
    output = {FormOutputKind::kDevice, outputFile};
  } else if (renderedFormatOf(outputFile, format)) {
    output = {FormOutputKind::kRenderedFile, outputFile};
  } else {
    output = {FormOutputKind::kBytesFile, outputFile};
  }
  return output;
}

void checkFormOutput(const FormOutput& output) {
  switch (output.kind) {
    case FormOutputKind::kDevice:
      // Opened only once the dialogue is over, so an early end never touches the printer.
      break;
    case FormOutputKind::kBytesFile:
    case FormOutputKind::kRenderedFile:
      requireWritableFile(output.name);
      break;
    case FormOutputKind::kSpooler:
      requireSpoolPrinter(output.name);
      break;
  }
}

PrinterStream openFormOutput(const FormOutput& output, const std::string& trainNumber) {
  switch (output.kind) {
    case FormOutputKind::kBytesFile:
      return openPrinterFileStream(output.name);
    case FormOutputKind::kRenderedFile:
      return openMemoryStream();
    case FormOutputKind::kSpooler:
      return openSpoolerStream(output.name, "timetable " + trainNumber);
    case FormOutputKind::kDevice:
      break;
  }
  return openPrinterDeviceStream(output.name);
}

std::vector<std::string> closeFormOutput(const FormOutput& output, PrinterStream& stream) {
  std::vector<std::string> warnings;
  const std::string warning = closePrinterStream(stream);
  if (!warning.empty()) warnings.push_back(warning);
  if (output.kind == FormOutputKind::kRenderedFile) {
    writeRenderedForm(stream.bytes, output.name, warnings);
  }
  return warnings;
}
