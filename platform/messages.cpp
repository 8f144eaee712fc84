#include "platform/messages.h"

#include "platform/console.h"
#include "platform/translation.h"

namespace {

// After what standard output holds, so that a message follows the dialogue it belongs to.
void say(const char* kind, const std::string& text) {
  writeConsoleText(stderr, kind + oneLine(text) + "\n");
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
