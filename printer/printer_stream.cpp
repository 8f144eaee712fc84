#include "printer/printer_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/overloaded.h"
#include "preview/rendering.h"
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
  return std::visit(Overloaded{
                        [](const DeviceDestination& device) -> PrinterStream {
                          return openDevice(device.device);
                        },
                        [](const BytesFileDestination& file) -> PrinterStream {
                          return startPendingFile(file.path);
                        },
                        [](const RenderedFileDestination& file) -> PrinterStream {
                          return FormToRender{file.path, std::string()};
                        },
                        [&documentName](const SpoolDestination& spool) -> PrinterStream {
                          return startSpoolJob(spool.printer, documentName);
                        },
                    },
                    destination);
}

void writeToPrinter(PrinterStream& stream, const std::wstring& text) {
  // The device adds the carriage returns only where the runtime's text mode does it; files, the
  // spooler and the drawing get them from the stream.
  const bool device = std::holds_alternative<OpenDevice>(stream);
  const std::string bytes = printerBytes(text, device && printerDeviceAddsCarriageReturns());
  std::visit(Overloaded{
                 [&bytes](OpenDevice& open) { writeToDevice(open, bytes); },
                 [&bytes](PendingFileHandle& file) { writePendingFile(*file, bytes); },
                 [&bytes](SpoolJobHandle& job) { writeSpoolJob(*job, bytes); },
                 [&bytes](FormToRender& form) { form.bytes += bytes; },
             },
             stream);
}

std::vector<std::string> closePrinterStream(PrinterStream& stream) {
  std::vector<std::string> warnings;
  std::visit(
      Overloaded{
          [](OpenDevice& device) { closeDevice(device); },
          [](PendingFileHandle& file) { finishPendingFile(std::move(file)); },
          [&warnings](SpoolJobHandle& job) {
            const std::string warning = finishSpoolJob(*job);
            job.reset();  // Finished: the job is the spooler's now, and is not cancelled.
            if (!warning.empty()) warnings.push_back(warning);
          },
          [&warnings](FormToRender& form) {
            for (const RenderedFile& file : renderPrinterBytes(form.bytes, form.path, warnings)) {
              writeFileWhole(file.path, file.contents);
            }
          },
      },
      stream);
  return warnings;
}
