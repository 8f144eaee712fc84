#include "platform/messages.h"

#include <atomic>

#include "platform/console.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"

namespace {

// Read by the run's event, which an interrupt may write from its own thread.
std::atomic<int> warningCount{0};

// The C0 and C1 controls and DEL; the line and paragraph separators; and the bidirectional
// format characters (the marks, embeddings, overrides and isolates), which can make a line show
// other text than it holds.
bool breaksTheLine(char32_t character) {
  return character < 0x20 || (character >= 0x7F && character <= 0x9F) || character == 0x2028 ||
         character == 0x2029 || character == 0x061C || character == 0x200E || character == 0x200F ||
         (character >= 0x202A && character <= 0x202E) ||
         (character >= 0x2066 && character <= 0x2069);
}

// After what standard output holds, so that a message follows the dialogue it belongs to. The
// kind is cleaned with the text: a catalogue's translation of it is text from a file too. The
// support log gets the line as it was shown.
void say(const char* kind, const std::string& text) {
  const std::string line = oneLine(kind + text);
  writeConsoleText(stderr, line + "\n");
  logLine(line);
}

}  // namespace

std::string oneLine(std::string text) {
  // Decoded first, so that a control encoded in several bytes is seen as one, and bytes that are
  // no UTF-8 become U+FFFD rather than reaching a terminal that might read them as controls.
  std::wstring characters = utf8ToWide(text);
  for (wchar_t& character : characters) {
    if (breaksTheLine(static_cast<char32_t>(character))) character = L' ';
  }
  return wideToUtf8(characters);
}

std::string eachLineOneLine(const std::string& text) {
  std::string result;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const bool ended = end != std::string::npos;
    result += oneLine(text.substr(at, ended ? end - at : std::string::npos));
    if (ended) result += '\n';
    at = ended ? end + 1 : text.size();
  }
  return result;
}

const size_t kQuotedBytes = 120;
const char kLeftOut[] = "...";

std::string shortened(const std::string& text) {
  if (text.size() <= kQuotedBytes) return text;
  size_t kept = kQuotedBytes;
  // Not inside a character: its continuation bytes are 10xxxxxx.
  while (kept > 0 && (static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80) --kept;
  return text.substr(0, kept) + kLeftOut;
}

std::string quoted(const std::string& text) {
  // TRANSLATORS: the quotation marks around a value in a message, such as a train number.
  return formatMessage(translate("\"{0}\""), {shortened(text)});
}

std::string listed(const std::vector<std::string>& names) {
  if (names.empty()) return std::string();
  std::string list = names.back();
  for (size_t i = names.size() - 1; i-- > 0;) {
    // TRANSLATORS: a list's last two names, or a name in front of the rest of a list.
    list = formatMessage(i + 2 == names.size() ? translate("{0} and {1}") : translate("{0}, {1}"),
                         {names[i], list});
  }
  return list;
}

int warningsShown() { return warningCount.load(); }

// TRANSLATORS: the kinds in front of a message; scripts may look for the English ones.
void error(const std::string& text) { say(translate("error: "), text); }
void warning(const std::string& text) {
  ++warningCount;
  say(translate("warning: "), text);
}
void notice(const std::string& text) { say(translate("notice: "), text); }
