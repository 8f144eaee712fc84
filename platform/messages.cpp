#include "platform/messages.h"

#include <iostream>

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

void error(const std::string& text) { say("error: ", text); }
void warning(const std::string& text) { say("warning: ", text); }
void notice(const std::string& text) { say("notice: ", text); }
