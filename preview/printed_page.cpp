#include "preview/printed_page.h"

#include <cstdio>

#include "form/code_page.h"

namespace {

const unsigned char kEscape = 0x1B;

unsigned char byteAt(const std::string& bytes, size_t at) {
  return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0;
}

// Switches of ESC/P that take an argument: '1' or 1 switches on, '0' or 0 off.
bool switchedOn(unsigned char argument) { return argument == '1' || argument == 1; }

std::string describeSequence(const std::string& bytes, size_t at, size_t length) {
  std::string text = "ESC";
  for (size_t i = at + 1; i < at + length && i < bytes.size(); ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " 0x%02X", static_cast<unsigned char>(bytes[i]));
    text += hex;
  }
  return text;
}

// Places a character at the current position, over whatever was printed there.
void place(PrintedPage& page, size_t line, size_t column, const PrintedCharacter& character) {
  if (page.lines.size() <= line) page.lines.resize(line + 1);
  PrintedLine& printed = page.lines[line];
  if (printed.size() <= column) printed.resize(column + 1);
  printed[column] = character;
}

}  // namespace

char32_t unicodeOfCodePage852(unsigned char byte) {
  return byte < 0x80 ? byte : static_cast<char32_t>(kCodePage852High[byte - 0x80]);
}

std::vector<PrintedPage> interpretPrinterBytes(const std::string& bytes,
                                               std::vector<std::string>& warnings) {
  std::vector<PrintedPage> pages(1);
  PrintedCharacter style;
  size_t line = 0;
  size_t column = 0;
  size_t skipped = 0;
  for (size_t at = 0; at < bytes.size(); ++at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte == kEscape) {
      const unsigned char command = byteAt(bytes, at + 1);
      const unsigned char argument = byteAt(bytes, at + 2);
      if (command == 'E' || command == 'F') {
        style.bold = command == 'E';
        at += 1;
      } else if (command == 'T') {
        style.subscript = false;
        at += 1;
      } else if (command == 'w' || command == 'S') {
        (command == 'w' ? style.doubleHeight : style.subscript) = switchedOn(argument);
        at += 2;
      } else {
        if (++skipped <= kMaxSkippedCommandWarnings) {
          warnings.push_back("skipped the printer command " + describeSequence(bytes, at, 2) +
                             " at byte " + std::to_string(at));
        }
        at += 1;
      }
    } else if (byte == '\r') {
      column = 0;
    } else if (byte == '\n') {
      ++line;
      column = 0;
    } else if (byte == '\f') {
      pages.back().endsInFormFeed = true;
      pages.emplace_back();
      line = 0;
      column = 0;
    } else if (byte >= 0x20 && byte != 0x7F) {
      PrintedCharacter printed = style;
      printed.character = unicodeOfCodePage852(byte);
      place(pages.back(), line, column++, printed);
    }
  }
  if (skipped > kMaxSkippedCommandWarnings) {
    warnings.push_back("skipped " + std::to_string(skipped - kMaxSkippedCommandWarnings) +
                       " more printer commands");
  }
  if (pages.size() > 1 && pages.back().lines.empty()) pages.pop_back();
  return pages;
}
