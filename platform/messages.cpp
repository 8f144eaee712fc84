#include "platform/messages.h"

#include <iostream>

#include "platform/translation.h"

namespace {

// Standard output is flushed first, so that a message follows the dialogue it belongs to.
void say(const char* kind, const std::string& text) {
  std::cout.flush();
  std::cerr << kind << oneLine(text) << std::endl;
}

}  // namespace

std::string oneLine(std::string text) {
  for (char& character : text) {
    if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) character = ' ';
  }
  return text;
}

// TRANSLATORS: the kinds in front of a message; scripts may look for the English ones.
void error(const std::string& text) { say(translate("error: "), text); }
void warning(const std::string& text) { say(translate("warning: "), text); }
void notice(const std::string& text) { say(translate("notice: "), text); }
