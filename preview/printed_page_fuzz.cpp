// Feeds arbitrary bytes to the printer-byte interpreter, as timetable-preview does with any file
// it is given. Beyond not crashing, the pages must keep what the interpreter promises: every page
// but the last ends in a form feed, no page keeps blank lines after its last printed one, only
// printable characters lie on the grid, no line or character comes from nowhere, the warnings
// stay few, and bytes read a few at a time, as from a pipe, give the same pages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "preview/printed_page.h"
#include "preview/printed_page_test_support.h"
#include "preview/terminal_text.h"
#include "preview/terminal_text_test_support.h"

namespace {

struct ByteCounts {
  size_t formFeeds = 0;
  size_t lineFeeds = 0;
  size_t escapes = 0;
  size_t printable = 0;
};

ByteCounts countBytes(const std::string& bytes) {
  ByteCounts counts;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    counts.formFeeds += byte == '\f';
    counts.lineFeeds += byte == '\n';
    counts.escapes += byte == 0x1B;
    counts.printable += byte >= 0x20 && byte != 0x7F;
  }
  return counts;
}

// Code page 852 gives a printable character for every byte from 0x20 but 0x7F, never a C1
// control.
bool printableCharacter(char32_t c) { return c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xA0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> warnings;
  const std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
  const ByteCounts counts = countBytes(bytes);
  if (pages.empty() || pages.size() > counts.formFeeds + 1) std::abort();
  if (warnings.size() > counts.escapes || warnings.size() > kMaxSkippedCommandWarnings + 1) {
    std::abort();
  }
  size_t lines = 0;
  size_t characters = 0;
  for (size_t index = 0; index < pages.size(); ++index) {
    const PrintedPage& page = pages[index];
    if (index + 1 < pages.size() && !page.endsInFormFeed) std::abort();
    if (!page.lines.empty() && page.lines.back().empty()) std::abort();
    lines += page.lines.size();
    for (const PrintedLine& line : page.lines) {
      characters += line.size();
      for (const PrintedCharacter& printed : line) {
        if (!printableCharacter(printed.character)) std::abort();
      }
    }
  }
  // A page's lines after its first each took a line feed; each character a printable byte.
  if (lines > counts.lineFeeds + pages.size() || characters > counts.printable) std::abort();
  // The terminal shows one text line per printed line.
  size_t textLines = 0;
  for (char c : terminalText(pages, true)) textLines += c == '\n';
  if (textLines != lines) std::abort();
  size_t read = 0;
  const PrinterByteReader trickle = [&bytes, &read](char* buffer, size_t most) {
    const size_t count = std::min({most, bytes.size() - read, 1 + read % 7});
    std::memcpy(buffer, bytes.data() + read, count);
    read += count;
    return count;
  };
  std::vector<std::string> trickledWarnings;
  std::string trickledText;
  interpretPrinterPages(trickle, kNoLineLimit, trickledWarnings,
                        [&trickledText](const PrintedPage& page) {
                          trickledText += terminalTextOfPage(page, true);
                          return true;
                        });
  if (trickledText != terminalText(pages, true) || trickledWarnings != warnings) std::abort();
  return 0;
}
