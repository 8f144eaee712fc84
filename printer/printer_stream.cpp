#include "printer/printer_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/desktop.h"
#include "platform/interrupt.h"
#include "platform/overloaded.h"
#include "platform/translation.h"
#include "preview/rendering.h"
#include "printer/page_printer.h"
#include "printer/printer_device.h"

namespace {

// what holds {0} for the printer's name and {1} for the system's reason.
[[noreturn]] void failPrinter(const char* what, const std::string& name, int error) {
  throw std::runtime_error(formatMessage(what, {name, std::strerror(error)}));
}

// A device prepareDestination kept open is taken as it is; any other is opened now.
OpenDevice openDevice(const DeviceDestination& destination) {
  OpenDevice device;
  device.name = destination.device;
  if (destination.opened && *destination.opened) {
    device.file.reset(destination.opened->release());
    return device;
  }
  errno = 0;
  device.file.reset(openPrinterDevice(device.name));
  if (device.file) return device;
  throw deviceOpenError(destination, std::strerror(errno));
}

void writeToDevice(OpenDevice& device, const std::string& bytes) {
  errno = 0;
  std::FILE* file = device.file.get();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    failPrinter(
        translate("cannot write to the printer {0}; check that it is switched on, connected "
                  "and has paper, then print again: {1}"),
        device.name, errno);
  }
}

void closeDevice(OpenDevice& device) {
  errno = 0;
  if (std::fclose(device.file.release()) != 0) {
    failPrinter(
        translate("cannot finish printing on the printer {0}; check that the whole form was "
                  "printed: {1}"),
        device.name, errno);
  }
}

// A file that cannot be shown still holds the form, so the user is told where it is.
void view(const std::string& path, StreamEnd& end) {
  std::string reason;
  if (!openWithViewer(path, reason)) {
    end.notices.push_back(formatMessage(
        translate("the form could not be shown; open the file {0} yourself: {1}"), {path, reason}));
  }
}

// Draws the form into its files, and shows the first when asked to.
void render(const FormToRender& form, StreamEnd& end) {
  writeRenderedForm(form.bytes, form.path, form.format, end.warnings, end.notices);
  if (!form.view) return;
  end.shownFile = renderedFilePath(form.path, form.format, 1);
  view(end.shownFile, end);
}

}  // namespace

std::string printerBytes(const std::wstring& text, bool deviceAddsCarriageReturns) {
  std::string bytes;
  // Room for the carriage returns of lines a little shorter than the form's.
  bytes.reserve(text.size() + text.size() / 64);
  for (wchar_t character : text) {
    if (character == L'\n' && !deviceAddsCarriageReturns) bytes += '\r';
    const auto value = static_cast<unsigned long>(character);
    bytes += value < 256 ? static_cast<char>(value) : '?';
  }
  return bytes;
}

PrinterStream openPrinterStream(const Destination& destination, const std::string& documentName) {
  const auto open = Overloaded{
      [](const DeviceDestination& device) -> PrinterStream { return openDevice(device); },
      [](const BytesFileDestination& file) -> PrinterStream {
        try {
          return OpenFile{startPendingFile(file.path), file.view};
        } catch (const std::runtime_error& failure) {
          throw std::runtime_error(withAdvice(failure.what(), file.advice));
        }
      },
      [&documentName](const RenderedFileDestination& file) -> PrinterStream {
        const std::string path =
            file.path.empty() ? screenFilePath(file.screenFolder, documentName) : file.path;
        return FormToRender{path, file.format, file.view, std::string()};
      },
      [&documentName](const SpoolDestination& spool) -> PrinterStream {
        return startSpoolJob(spool.printer, documentName);
      },
      [&documentName](const DrawnDestination& drawn) -> PrinterStream {
        return FormToDraw{drawn.printer, documentName, std::string()};
      },
  };
  // Nothing is opened, and nothing written below, once an interrupt is taken: the run ends with
  // it. A write under way finishes, so that a printer that holds it up cannot keep an interrupt
  // from ending the run.
  stopIfInterrupted();
  return std::visit(open, destination);
}

namespace {

void writeBytes(PrinterStream& stream, const std::string& bytes) {
  stopIfInterrupted();
  std::visit(Overloaded{
                 [&bytes](OpenDevice& open) { writeToDevice(open, bytes); },
                 [&bytes](OpenFile& file) { writePendingFile(*file.pending, bytes); },
                 [&bytes](SpoolJobHandle& job) { writeSpoolJob(*job, bytes); },
                 [&bytes](FormToRender& form) { form.bytes += bytes; },
                 [&bytes](FormToDraw& form) { form.bytes += bytes; },
             },
             stream);
}

}  // namespace

void writeToPrinter(PrinterStream& stream, const std::wstring& text) {
  // The device adds the carriage returns only where the runtime's text mode does it; files, the
  // spooler and the drawing get them from the stream.
  const bool device = std::holds_alternative<OpenDevice>(stream);
  writeBytes(stream, printerBytes(text, device && printerDeviceAddsCarriageReturns()));
}

void writeBytesToPrinter(PrinterStream& stream, const std::string& bytes) {
  // Each byte is the character of its value, which the stream writes as it writes a form printed
  // anew.
  std::wstring text;
  text.reserve(bytes.size());
  for (char byte : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
  writeToPrinter(stream, text);
}

StreamEnd closePrinterStream(PrinterStream& stream) {
  StreamEnd end;
  std::visit(Overloaded{
                 [](OpenDevice& device) { closeDevice(device); },
                 [&end](OpenFile& file) {
                   const std::string path = file.pending->finalPath;
                   finishPendingFile(std::move(file.pending));
                   if (!file.view) return;
                   end.shownFile = path;
                   view(path, end);
                 },
                 [&end](SpoolJobHandle& job) {
                   const std::string warning = finishSpoolJob(*job);
                   job.reset();  // Finished: the job is the spooler's now, and is not cancelled.
                   if (!warning.empty()) end.warnings.push_back(warning);
                 },
                 [&end](FormToRender& form) { render(form, end); },
                 [&end](FormToDraw& form) {
                   end.warnings = printDrawnPages(form.printer, form.documentName, form.bytes);
                 },
             },
             stream);
  return end;
}
