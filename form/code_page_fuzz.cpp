// Feeds arbitrary bytes as typed or received UTF-8 text through the UTF-8 decoder, the code page
// conversion and the cells. Nothing may come out that is not a printable printer byte, apart
// from the cells' own switches.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "form/code_page.h"
#include "form/stop_cells.h"
#include "platform/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring wide = utf8ToWide(std::string(reinterpret_cast<const char*>(data), size));
  if (wide.size() > size) std::abort();  // Never more characters than bytes.
  const std::wstring converted = toPrinterCodePage(wide);
  size_t bars = 0;
  for (wchar_t c : wide) bars += c == L'|';
  if (converted.size() != wide.size() + 2 * bars) std::abort();
  for (wchar_t c : converted) {
    if (c < 0x20 || c == 0x7F || static_cast<unsigned long>(c) >= 256) std::abort();
  }
  StopCells cells;
  buildStopCells(1, wide, wide, wide, wide, wide, wide, wide, wide, wide, wide, wide, wide, wide,
                 cells);
  for (size_t index = 0; index <= lengthCell; ++index) {
    for (wchar_t c : cells[index]) {
      if (static_cast<unsigned long>(c) >= 256) std::abort();
    }
  }
  return 0;
}
