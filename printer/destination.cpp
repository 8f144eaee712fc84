#include "printer/destination.h"

#include <ctime>

#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/overloaded.h"
#include "preview/rendering.h"
#include "printer/spooler.h"

const char* const kPrinterDevice = "LPT1";

namespace {

// Room for a date and time such as 20261208-131600.
const size_t kTimeTextSize = 32;

// How many names a PDF for the screen tries before it takes the last one.
const int kScreenFileTries = 100;

std::string localTimeText(const char* format) {
  const std::time_t now = std::time(nullptr);
  char text[kTimeTextSize];
  const std::tm* local = std::localtime(&now);
  if (local == nullptr || std::strftime(text, sizeof text, format, local) == 0) return "now";
  return text;
}

}  // namespace

Destination chooseDestination(const DestinationRequest& request) {
  const std::string& file = request.outputFile;
  RenderedFormat format;
  if (request.drawn) return DrawnDestination{request.printer};
  if (!request.printer.empty()) return SpoolDestination{request.printer};
  if (file.empty()) {
    if (request.view) return RenderedFileDestination{std::string(), true};
    return DeviceDestination{kPrinterDevice};
  }
  // A device or a pipe cannot be replaced by a file.
  if (isDeviceOrPipe(file)) return DeviceDestination{file};
  if (renderedFormatOf(file, format)) return RenderedFileDestination{file, request.view};
  return BytesFileDestination{file, request.view};
}

void checkDestination(const Destination& destination) {
  std::visit(Overloaded{
                 [](const DeviceDestination&) {},
                 [](const BytesFileDestination& file) { requireWritableFile(file.path); },
                 [](const RenderedFileDestination& file) {
                   requireWritableFile(file.path.empty() ? screenFilePath("timetable") : file.path);
                 },
                 [](const SpoolDestination& spool) { requireSpoolPrinter(spool.printer); },
                 [](const DrawnDestination& drawn) {
                   if (drawn.printer.empty()) {
                     requireDefaultSpoolPrinter();
                   } else {
                     requireSpoolPrinter(drawn.printer);
                   }
                 },
             },
             destination);
}

std::string screenFilePath(const std::string& documentName) {
  std::string name = documentName + " " + localTimeText("%Y%m%d-%H%M%S");
  for (char& character : name) {
    if (character == ' ') character = '-';
  }
  const std::string folder = temporaryFolder();
  std::string path = folder + name + ".pdf";
  // Another run in the same second gets a name of its own.
  for (int other = 2; fileExists(path) && other < kScreenFileTries; ++other) {
    path = folder + name + "-" + std::to_string(other) + ".pdf";
  }
  return path;
}
