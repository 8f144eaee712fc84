#include "printer/printer_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/desktop.h"
#include "platform/interrupt.h"
#include "platform/overloaded.h"
#include "preview/rendering.h"
#include "printer/page_printer.h"
#include "printer/printer_device.h"

namespace {

[[noreturn]] void failPrinter(const char* what, const std::string& name, int error) {
  throw std::runtime_error(std::string(what) + " the printer " + name + ": " +
                           std::strerror(error));
}

OpenDevice openDevice(const std::string& name) {
  OpenDevice device;
  device.name = name;
  errno = 0;
  device.file.reset(openPrinterDevice(name));
  if (!device.file) failPrinter("cannot open", name, errno);
  return device;
}

void writeToDevice(OpenDevice& device, const std::string& bytes) {
  errno = 0;
  std::FILE* file = device.file.get();
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
    failPrinter("cannot write to", device.name, errno);
  }
}

void closeDevice(OpenDevice& device) {
  errno = 0;
  if (std::fclose(device.file.release()) != 0) failPrinter("cannot close", device.name, errno);
}

// A file that cannot be shown still holds the form, so the user is told where it is.
void view(const std::string& path, StreamEnd& end) {
  std::string reason;
  if (!openWithViewer(path, reason)) {
    end.notices.push_back("the form is in " + path + ", which could not be shown: " + reason);
  }
}

// Draws the form into its files, and shows the first when asked to.
void render(const FormToRender& form, StreamEnd& end) {
  writeRenderedForm(form.bytes, form.path, end.warnings);
  if (form.view) view(renderedFilePath(form.path), end);
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
      [](const DeviceDestination& device) -> PrinterStream { return openDevice(device.device); },
      [](const BytesFileDestination& file) -> PrinterStream {
        return OpenFile{startPendingFile(file.path), file.view};
      },
      [&documentName](const RenderedFileDestination& file) -> PrinterStream {
        const std::string path = file.path.empty() ? screenFilePath(documentName) : file.path;
        return FormToRender{path, file.view, std::string()};
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

void writeToPrinter(PrinterStream& stream, const std::wstring& text) {
  // The device adds the carriage returns only where the runtime's text mode does it; files, the
  // spooler and the drawing get them from the stream.
  const bool device = std::holds_alternative<OpenDevice>(stream);
  const std::string bytes = printerBytes(text, device && printerDeviceAddsCarriageReturns());
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

StreamEnd closePrinterStream(PrinterStream& stream) {
  StreamEnd end;
  std::visit(Overloaded{
                 [](OpenDevice& device) { closeDevice(device); },
                 [&end](OpenFile& file) {
                   const std::string path = file.pending->finalPath;
                   finishPendingFile(std::move(file.pending));
                   if (file.view) view(path, end);
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
