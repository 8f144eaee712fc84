#include "printer/printer_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "printer/printer_device.h"

const char* const kPrinterDevice = "LPT1";

namespace {

[[noreturn]] void failPrinter(const char* what, int error) {
  throw std::runtime_error(std::string(what) + " the printer " + kPrinterDevice + ": " +
                           std::strerror(error));
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

PrinterStream openPrinterStream() {
  PrinterStream stream;
  errno = 0;
  stream.device.reset(openPrinterDevice(kPrinterDevice));
  if (!stream.device) failPrinter("cannot open", errno);
  return stream;
}

void writeToPrinter(PrinterStream& stream, const std::wstring& text) {
  const std::string bytes = printerBytes(text, printerDeviceAddsCarriageReturns());
  errno = 0;
  std::FILE* device = stream.device.get();
  if (std::fwrite(bytes.data(), 1, bytes.size(), device) != bytes.size() ||
      std::fflush(device) != 0) {
    failPrinter("cannot write to", errno);
  }
}

void closePrinterStream(PrinterStream& stream) {
  errno = 0;
  if (std::fclose(stream.device.release()) != 0) failPrinter("cannot close", errno);
}
