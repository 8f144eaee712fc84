#include "printer/destination.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <utility>

#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/output_file.h"
#include "platform/overloaded.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"
#include "preview/rendered_format.h"
#include "preview/rendering.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"

const char* const kPrinterDevice = "LPT1";

namespace {

// Room for a date and time such as 20261208-131600.
const size_t kTimeTextSize = 32;

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
  if (request.drawn) {
    return DrawnDestination{request.printer, request.noDefaultPrinterError,
                            request.unknownPrinterError};
  }
  if (!request.printer.empty()) {
    return SpoolDestination{request.printer, request.unknownPrinterError};
  }
  if (file.empty()) {
    if (request.view) {
      return RenderedFileDestination{std::string(), RenderedFormat::kPdf, true, temporaryFolder()};
    }
    // A plain file standing in for the printer is replaced complete, as -o's files are, where
    // it can be; else it is written in place, as a device is.
    std::string reason;
    if (isWritableFileInWritableFolder(kPrinterDevice) &&
        mayReplaceFile(linkTargetOf(kPrinterDevice), reason)) {
      return BytesFileDestination{kPrinterDevice, false, request.printerDeviceAdvice};
    }
    return DeviceDestination{kPrinterDevice, request.printerDeviceAdvice, nullptr};
  }
  // A device or a pipe cannot be replaced by a file.
  if (isDeviceOrPipe(file)) return DeviceDestination{file, std::string(), nullptr};
  RenderedFormat format = RenderedFormat::kPdf;
  if (!request.printerBytes && renderedFormatOf(file, format)) {
    return RenderedFileDestination{file, format, request.view, std::string()};
  }
  return BytesFileDestination{file, request.view, std::string()};
}

std::string destinationText(const Destination& destination) {
  return std::visit(
      Overloaded{
          [](const DeviceDestination& device) {
            return formatMessage(translate("the printer {0}"), {device.device});
          },
          [](const BytesFileDestination& file) {
            return formatMessage(translate("the printer's bytes in the file {0}"),
                                 {fullPathOf(file.path)});
          },
          [](const RenderedFileDestination& file) {
            if (file.path.empty()) {
              return formatMessage(translate("the drawn form for the screen, in the folder {0}"),
                                   {file.screenFolder});
            }
            // A name holding %d is no file's name: the pages' files are.
            const std::string first = renderedFilePath(file.path, file.format, 1);
            if (first == file.path) {
              return formatMessage(translate("the drawn form in the file {0}"),
                                   {fullPathOf(file.path)});
            }
            return formatMessage(
                translate("the drawn form in the files {0}, {1} and so on, one for each page"),
                {fullPathOf(first), fullPathOf(renderedFilePath(file.path, file.format, 2))});
          },
          [](const SpoolDestination& spool) {
            return formatMessage(translate("a raw job on the printer {0}"),
                                 {quoted(spool.printer)});
          },
          [](const DrawnDestination& drawn) {
            return formatMessage(translate("drawn pages on the printer {0}"),
                                 {quoted(drawn.printer)});
          },
      },
      destination);
}

std::runtime_error deviceOpenError(const DeviceDestination& device, const std::string& reason) {
  if (device.advice.empty()) {
    return std::runtime_error(formatMessage(
        translate("cannot open the printer {0} ({1}); check that it is connected and switched on"),
        {device.device, reason}));
  }
  return std::runtime_error(formatMessage(device.advice, {device.device, reason}));
}

std::string withAdvice(const std::string& what, const std::string& advice) {
  return advice.empty() ? what : formatMessage(advice, {kPrinterDevice, what});
}

namespace {

// The spooler must have the printer; the error of one it does not have is the caller's when it
// gave one.
void requireSpoolPrinter(const std::string& printer, const std::string& unknownPrinterError) {
  if (hasSpoolPrinter(printer)) return;
  if (unknownPrinterError.empty()) failNoPrinter(printer);
  throw std::runtime_error(formatMessage(unknownPrinterError, {quoted(printer)}));
}

// Opens the device now, or learns why it cannot be, keeping it open when it must stay so.
void probeDevice(DeviceDestination& device) {
  std::string reason;
  if (isPlantedLink(device.device, reason)) throw deviceOpenError(device, reason);
  // Whatever standard input is open on, the dialogue is read from it.
  if (descriptorNamedBy(device.device) == 0) {
    throw deviceOpenError(device, translate("the answers to the prompts are read from it"));
  }
  DeviceFile kept(nullptr, std::fclose);
  errno = 0;
  if (!probePrinterDevice(device.device, kept)) {
    throw deviceOpenError(device, std::strerror(errno));
  }
  if (kept) device.opened = std::make_shared<DeviceFile>(std::move(kept));
}

// The files of every sheet a numbered name may get, as an earlier run may have left them, are
// checked for planted links now: the first sheet's file is checked as any file is.
void requireUnplantedSheetFiles(const RenderedFileDestination& file) {
  const std::string first = renderedFilePath(file.path, file.format, 1);
  for (size_t sheet = 2; sheet <= kMaxSheets; ++sheet) {
    const std::string path = renderedFilePath(file.path, file.format, sheet);
    if (path == first) return;
    requireUnplantedLink(path);
  }
}

}  // namespace

void prepareDestination(Destination& destination) {
  std::visit(Overloaded{
                 [](DeviceDestination& device) { probeDevice(device); },
                 [](const BytesFileDestination& file) {
                   try {
                     requireWritableFile(file.path);
                   } catch (const std::runtime_error& failure) {
                     throw std::runtime_error(withAdvice(failure.what(), file.advice));
                   }
                 },
                 [](const RenderedFileDestination& file) {
                   requireRenderer();
                   if (file.path.empty()) {
                     requireWritableFolder(file.screenFolder);
                   } else {
                     requireWritableFile(renderedFilePath(file.path, file.format, 1));
                     requireUnplantedSheetFiles(file);
                   }
                 },
                 [](const SpoolDestination& spool) {
                   requireSpoolPrinter(spool.printer, spool.unknownPrinterError);
                 },
                 [](DrawnDestination& drawn) {
                   requireRenderer();
                   if (drawn.printer.empty()) {
                     drawn.printer = requireDefaultSpoolPrinter(drawn.noDefaultPrinterError);
                   } else {
                     requireSpoolPrinter(drawn.printer, drawn.unknownPrinterError);
                   }
                 },
             },
             destination);
}

std::string screenFilePath(const std::string& folder, const std::string& documentName) {
  std::string name = documentName + " " + localTimeText("%Y%m%d-%H%M%S") + " ";
  for (char& character : name) {
    if (character == ' ') character = '-';
  }
  // Made now, under a name no one can guess, so that no one can take it or plant a link there
  // while the form is drawn.
  std::string path;
  std::string reason;
  if (!createUnpredictableFile(folder, name, ".pdf", path, reason)) {
    throw std::runtime_error(
        formatMessage(translate("cannot write {0}: {1}"), {folder + name + "….pdf", reason}));
  }
  return path;
}
