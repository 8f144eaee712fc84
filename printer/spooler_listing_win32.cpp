// The printers of Windows' spooler: the list, the default one, and whether it has one.
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_win32.h"

std::vector<SpoolPrinter> listSpoolPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  DWORD count = 0;
  // The list may grow between asking for its size and fetching it.
  while (!EnumPrintersW(flags, nullptr, 4, buffer.data(), static_cast<DWORD>(buffer.size()),
                        &needed, &count)) {
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
      failSpooler(cannotListPrintersText(), {}, error);
    }
    buffer.resize(needed);
  }
  const std::wstring defaultName = defaultPrinterName();
  const auto* infos = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  std::vector<SpoolPrinter> printers;
  for (DWORD index = 0; index < count; ++index) {
    const std::wstring name = infos[index].pPrinterName ? infos[index].pPrinterName : L"";
    printers.push_back(SpoolPrinter{utf8FromWide(name), name == defaultName});
  }
  return printers;
}

std::string defaultSpoolPrinter() { return utf8FromWide(defaultPrinterName()); }

bool hasSpoolPrinter(const std::string& printer) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (OpenPrinterW(&name[0], &handle, nullptr)) {
    ClosePrinter(handle);
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_INVALID_PRINTER_NAME) return false;
  failSpooler(cannotOpenPrinterText(), {printer}, error);
}
