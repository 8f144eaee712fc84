// What the jobs, states and listings of Windows' spooler share: opening a printer, the
// default printer's name, and the spooler's failures in the user's words.
#include <windows.h>
#include <winspool.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler_common.h"
#include "printer/spooler_win32.h"

const char* cannotOpenPrinterText() {
  return translate(
      "the print spooler cannot open the printer \"{0}\" ({1}); print again, or check the "
      "printer in the system's printer settings");
}

// A failure of the spooler's service itself is told as such. what holds the arguments' places,
// then one more for the system's message.
[[noreturn]] void failSpooler(const char* what, std::vector<std::string> arguments, DWORD error) {
  if (error == RPC_S_SERVER_UNAVAILABLE) {
    throw std::runtime_error(
        formatMessage(translate("the print spooler cannot be reached; check that the Print Spooler "
                                "service is running, or ask the IT department: {0}"),
                      {systemMessage(error)}));
  }
  arguments.push_back(systemMessage(error));
  throw std::runtime_error(formatMessage(what, arguments));
}

// Opens the printer for printing; a missing one is told as such.
HANDLE openPrinter(const std::string& printer) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (!OpenPrinterW(&name[0], &handle, nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) failNoPrinter(printer);
    failSpooler(cannotOpenPrinterText(), {printer}, error);
  }
  return handle;
}

std::wstring defaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return std::wstring();  // no default printer
  std::wstring name(size, L'\0');
  if (!GetDefaultPrinterW(&name[0], &size)) return std::wstring();
  name.resize(wcsnlen(name.c_str(), name.size()));
  return name;
}
