#include "printer/destination.h"

#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/overloaded.h"
#include "preview/rendering.h"
#include "printer/spooler.h"

const char* const kPrinterDevice = "LPT1";

Destination chooseDestination(const std::string& outputFile, const std::string& spoolerPrinter) {
  RenderedFormat format;
  if (!spoolerPrinter.empty()) return SpoolDestination{spoolerPrinter};
  if (outputFile.empty()) return DeviceDestination{kPrinterDevice};
  // A device or a pipe cannot be replaced by a file.
  if (isDeviceOrPipe(outputFile)) return DeviceDestination{outputFile};
  if (renderedFormatOf(outputFile, format)) return RenderedFileDestination{outputFile};
  return BytesFileDestination{outputFile};
}

void checkDestination(const Destination& destination) {
  std::visit(Overloaded{
                 [](const DeviceDestination&) {},
                 [](const BytesFileDestination& file) { requireWritableFile(file.path); },
                 [](const RenderedFileDestination& file) { requireWritableFile(file.path); },
                 [](const SpoolDestination& spool) { requireSpoolPrinter(spool.printer); },
             },
             destination);
}
