#include "preview/terminal_text.h"

namespace {

const char kBoldOn[] = "\x1b[1m";
const char kBoldOff[] = "\x1b[22m";

}  // namespace

std::string utf8Of(char32_t c) {
  std::string text;
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
  return text;
}

std::string terminalTextOfPage(const PrintedPage& page, bool bold) {
  std::string text;
  for (size_t line = 0; line < page.lines.size(); ++line) {
    bool inBold = false;
    for (const PrintedCharacter& printed : page.lines[line]) {
      if (bold && printed.bold != inBold) {
        text += printed.bold ? kBoldOn : kBoldOff;
        inBold = printed.bold;
      }
      text += utf8Of(printed.character);
    }
    if (inBold) text += kBoldOff;
    if (page.endsInFormFeed && line + 1 == page.lines.size()) text += '\f';
    text += '\n';
  }
  return text;
}
