#include "platform/settings_store.h"

#include "platform/messages.h"
#include "platform/translation.h"

namespace {

const char kBlanks[] = " \t\r\f\v";
const char kByteOrderMark[] = "\xEF\xBB\xBF";

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A "#" at the start of a line or after a blank begins a comment, which runs to the line's end.
std::string withoutComment(const std::string& line) {
  for (size_t at = line.find('#'); at != std::string::npos; at = line.find('#', at + 1)) {
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') return line.substr(0, at);
  }
  return line;
}

}  // namespace

std::vector<StoredSetting> settingsOfText(const std::string& text, const std::string& file,
                                          std::vector<std::string>& problems) {
  std::vector<StoredSetting> settings;
  for (size_t start = 0, number = 1; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    // A byte order mark starts each file that was joined into this one, not only the first.
    if (text.compare(start, 3, kByteOrderMark) == 0) start += 3;
    const std::string whole = text.substr(start, end - start);
    const std::string line = trimmed(withoutComment(whole));
    start = end + 1;
    if (line.empty() && whole.find('\0') == std::string::npos) continue;
    const std::string origin =
        formatMessage(translate("{0}, line {1}"), {file, std::to_string(number)});
    const size_t nul = whole.find('\0');
    if (nul != std::string::npos) {
      // What follows a NUL would be cut from the value wherever it is used as a C string.
      const std::string before = whole.substr(0, nul);
      const size_t equals = before.find('=');
      problems.push_back(formatMessage(
          translate("{0}: the line holds a NUL character, which no setting may hold; remove it: "
                    "{1}"),
          {origin,
           quoted(trimmed(equals == std::string::npos ? before : before.substr(equals + 1)) +
                  "...")}));
      continue;
    }
    const size_t equals = line.find('=');
    const std::string name = trimmed(line.substr(0, equals));
    if (equals == std::string::npos || name.empty()) {
      problems.push_back(formatMessage(
          translate("{0}: this is not a setting; write each setting as name = value"), {origin}));
      continue;
    }
    settings.push_back({name, trimmed(line.substr(equals + 1)), origin});
  }
  return settings;
}
