#include <langinfo.h>
#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/translation.h"

std::string programPath() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return std::string();
  path.resize(static_cast<size_t>(length));
  return path;
}

namespace {

bool charactersAreUtf8() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

// The locale the environment names for messages, as setlocale reads it: LC_ALL, else
// LC_MESSAGES, else LANG; empty when none is set.
std::string namedMessageLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return std::string();
}

}  // namespace

// The messages' category follows the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). The
// characters' category follows it too, as UTF-8, which our own messages are written in: the
// system's texts (strerror, the spooler's) then keep their letters instead of a '?' for each
// one outside ASCII. Nothing of ours depends on it: the dialogue is decoded from UTF-8 by our own
// code, the printer's bytes come from our own code page table, and C++ streams keep the classic
// locale. The numbers' category and every other stay "C", for the reading and writing of numbers.
//
// A language whose locale the system lacks (no pl_PL.UTF-8 generated) would make the messages'
// category "C", where gettext ignores LANGUAGE too and everything stays English. The messages'
// category then becomes C.UTF-8, and the language the variables name is kept in LANGUAGE, which
// gettext reads first; a LANGUAGE of the user's own stays as it is.
void chooseMessageLanguage() {
  if (std::setlocale(LC_MESSAGES, "") == nullptr &&
      std::setlocale(LC_MESSAGES, "C.UTF-8") != nullptr) {
    const char* languages = std::getenv("LANGUAGE");
    const std::string named = namedMessageLocale();
    if ((languages == nullptr || *languages == '\0') && !named.empty())
      setEnvironmentVariable("LANGUAGE", named);
  }
  if (std::setlocale(LC_CTYPE, "") != nullptr && charactersAreUtf8()) return;
  // A locale in another character set, or none the system has: the same letters in UTF-8; a
  // system without C.UTF-8 stays at "C".
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "C");
}

void setEnvironmentVariable(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

void bindCatalogueFolder(const char* domain, const std::string& folder) {
  bindtextdomain(domain, folder.c_str());
}
