#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>

#include "platform/translation.h"

std::string programPath() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return std::string();
  path.resize(static_cast<size_t>(length));
  return path;
}

// Only the messages' category follows the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG):
// the printer's bytes and the reading of numbers rely on the "C" locale of every other one.
void chooseMessageLanguage() { std::setlocale(LC_MESSAGES, ""); }

void setEnvironmentVariable(const char* name, const std::string& value) {
  setenv(name, value.c_str(), 1);
}

void bindCatalogueFolder(const char* domain, const std::string& folder) {
  bindtextdomain(domain, folder.c_str());
}
