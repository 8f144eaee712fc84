#include "platform/translation.h"

#include <libintl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/file_system.h"

namespace {

// One catalogue serves both programs: share/locale/LANGUAGE/LC_MESSAGES/timetable-print.mo.
const char kDomain[] = "timetable-print";

// The catalogues lie in share/locale beside the program (the build tree, the Windows zip and
// installer) or in ../share/locale (installed in /usr/bin, they are in /usr/share/locale). Never
// in the working folder, which is the user's.
std::string catalogueFolder() {
  const std::string programFolder = folderOf(programPath());
  if (programFolder.empty()) return std::string();
  for (const char* relative : {"share/locale", "../share/locale"}) {
    const std::string folder = programFolder + relative;
    if (isFolder(folder)) return folder;
  }
  return std::string();
}

// gettext makes a catalogue's path of the language's name: share/locale/NAME/LC_MESSAGES. A
// name holding a folder's separator or ".." would lead it out of the program's own catalogues,
// to a file that could put any text, escapes too, into every message.
bool namesAPath(const std::string& name) {
  return name.find_first_of("/\\") != std::string::npos || name.find("..") != std::string::npos;
}

// LANGUAGE's colon-separated list without the names that are paths; the others keep their order.
std::string languagesWithoutPaths(const std::string& list) {
  std::string kept;
  size_t at = 0;
  while (at <= list.size()) {
    const size_t end = std::min(list.find(':', at), list.size());
    const std::string name = list.substr(at, end - at);
    if (!name.empty() && !namesAPath(name)) kept += (kept.empty() ? "" : ":") + name;
    at = end + 1;
  }
  return kept;
}

// The language as the platform chooses it, from names that stay within share/locale: LANGUAGE
// loses its paths, and a locale variable that is one becomes "C", English. The variables
// themselves change, since gettext reads them again at each lookup on some platforms.
void chooseLanguageBesideProgram() {
  const char* languages = std::getenv("LANGUAGE");
  if (languages != nullptr) {
    const std::string kept = languagesWithoutPaths(languages);
    if (kept != languages) setEnvironmentVariable("LANGUAGE", kept);
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && namesAPath(value)) setEnvironmentVariable(name, "C");
  }
  chooseMessageLanguage();
}

}  // namespace

void startTranslation() {
  chooseLanguageBesideProgram();
  const std::string folder = catalogueFolder();
  if (!folder.empty()) bindCatalogueFolder(kDomain, folder);
  // The messages are written as UTF-8 whatever the locale's character set, which stays "C".
  bind_textdomain_codeset(kDomain, "UTF-8");
  textdomain(kDomain);
}

namespace {

bool englishOnly = false;

}  // namespace

const char* translate(const char* english) { return englishOnly ? english : gettext(english); }

const char* translateInContext(const char* context, const char* english) {
  if (englishOnly) return english;
  // gettext keys a message with a context as the context, EOT, the message.
  const std::string key = std::string(context) + '\004' + english;
  const char* translated = gettext(key.c_str());
  return translated == key.c_str() ? english : translated;
}

const char* translatePlural(const char* singular, const char* plural, unsigned long count) {
  if (englishOnly) return count == 1 ? singular : plural;
  return ngettext(singular, plural, count);
}

std::string inEnglish(const std::function<std::string()>& say) {
  const bool before = englishOnly;
  englishOnly = true;
  try {
    std::string said = say();
    englishOnly = before;
    return said;
  } catch (...) {
    englishOnly = before;
    throw;
  }
}

std::string formatMessage(const std::string& text, const std::vector<std::string>& arguments) {
  std::string result;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('{', at);
    const size_t close = open == std::string::npos ? open : text.find('}', open);
    if (close == std::string::npos) break;
    const std::string index = text.substr(open + 1, close - open - 1);
    const bool valid = !index.empty() && index.size() < 3 &&
                       index.find_first_not_of("0123456789") == std::string::npos &&
                       std::stoul(index) < arguments.size();
    result.append(text, at, open - at);
    if (valid) {
      result += arguments[std::stoul(index)];
      at = close + 1;
    } else {
      result += '{';
      at = open + 1;
    }
  }
  result.append(text, at, std::string::npos);
  return result;
}
