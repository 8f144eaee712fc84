#include "platform/settings_store.h"

#include <stdexcept>

#include "platform/settings_store_test_support.h"
#include "platform/translation.h"

namespace {

const char kBlanks[] = " \t\r\f\v";

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

std::vector<StoredSetting> settingsOfText(const std::string& text, const std::string& file) {
  std::vector<StoredSetting> settings;
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (int number = 1; start <= text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = trimmed(withoutComment(text.substr(start, end - start)));
    start = end + 1;
    if (line.empty()) continue;
    const std::string origin =
        formatMessage(translate("{0}, line {1}"), {file, std::to_string(number)});
    const size_t equals = line.find('=');
    const std::string name = trimmed(line.substr(0, equals));
    if (equals == std::string::npos || name.empty()) {
      throw std::runtime_error(formatMessage(
          translate("{0} is not a setting; write each setting as name = value"), {origin}));
    }
    settings.push_back({name, trimmed(line.substr(equals + 1)), origin});
  }
  return settings;
}
