#include "printer/printer_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "printer/printer_device.h"

const char* const kPrinterDevice = "LPT1";

namespace {

[[noreturn]] void failPrinter(const char* what, const std::string& name, int error) {
  throw std::runtime_error(std::string(what) + " the printer " + name + ": " +
                           std::strerror(error));
}

// The device adds the carriage returns only where the runtime's text mode does it; files, the
// spooler and memory get them from the stream.
bool addsCarriageReturns(const PrinterStream& stream) {
  return stream.kind == PrinterKind::kDevice && printerDeviceAddsCarriageReturns();
}

void writeToDevice(PrinterStream& stream, const std::string& bytes) {
  errno = 0;
  std::FILE* device = stream.device.get();
  if (std::fwrite(bytes.data(), 1, bytes.size(), device) != bytes.size() ||
      std::fflush(device) != 0) {
    failPrinter("cannot write to", stream.name, errno);
  }
}

}  // namespace

std::string printerBytes(const std::wstring& text, bool deviceAddsCarriageReturns) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 64);
  for (wchar_t character : text) {
    if (character == L'\n' && !deviceAddsCarriageReturns) bytes += '\r';
    const auto value = static_cast<unsigned long>(character);
    bytes += value < 256 ? static_cast<char>(value) : '?';
  }
  return bytes;
}

PrinterStream openPrinterStream() { return openPrinterDeviceStream(kPrinterDevice); }

PrinterStream openPrinterDeviceStream(const std::string& device) {
  PrinterStream stream;
  stream.kind = PrinterKind::kDevice;
  stream.name = device;
  errno = 0;
  stream.device.reset(openPrinterDevice(device));
  if (!stream.device) failPrinter("cannot open", device, errno);
  return stream;
}

PrinterStream openPrinterFileStream(const std::string& path) {
  PrinterStream stream;
  stream.kind = PrinterKind::kFile;
  stream.name = path;
  stream.file = startPendingFile(path);
  return stream;
}

PrinterStream openSpoolerStream(const std::string& printer, const std::string& documentName) {
  PrinterStream stream;
  stream.kind = PrinterKind::kSpooler;
  stream.name = printer;
  stream.job = startSpoolJob(printer, documentName);
  return stream;
}

PrinterStream openMemoryStream() {
  PrinterStream stream;
  stream.kind = PrinterKind::kMemory;
  return stream;
}

void writeToPrinter(PrinterStream& stream, const std::wstring& text) {
  const std::string bytes = printerBytes(text, addsCarriageReturns(stream));
  switch (stream.kind) {
    case PrinterKind::kDevice:
      return writeToDevice(stream, bytes);
    case PrinterKind::kFile:
      return writePendingFile(*stream.file, bytes);
    case PrinterKind::kSpooler:
      return writeSpoolJob(*stream.job, bytes);
    case PrinterKind::kMemory:
      stream.bytes += bytes;
      return;
  }
}

std::string closePrinterStream(PrinterStream& stream) {
  switch (stream.kind) {
    case PrinterKind::kDevice:
      errno = 0;
      if (std::fclose(stream.device.release()) != 0) {
        failPrinter("cannot close", stream.name, errno);
      }
      break;
    case PrinterKind::kFile:
      finishPendingFile(std::move(stream.file));
      break;
    case PrinterKind::kSpooler: {
      std::string warning = finishSpoolJob(*stream.job);
      stream.job.reset();  // Finished: the job is the spooler's now, and is not cancelled.
      return warning;
    }
    case PrinterKind::kMemory:
      break;
  }
  return std::string();
}
