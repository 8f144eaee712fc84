#include <windows.h>
// libintl.h after windows.h: it redirects setlocale to libintl's own, which knows LC_MESSAGES.
#include <libintl.h>

#include <clocale>
#include <cstdlib>

#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

// A path may be longer than MAX_PATH; the buffer grows until the whole path fits.
std::string programPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return utf8FromWide(path);
    }
    path.resize(path.size() * 2);
  }
}

// Only the messages' category: the C runtime's own locale stays "C" for the printer's bytes and
// the numbers.
void chooseMessageLanguage() { setlocale(LC_MESSAGES, ""); }

// The C runtime's copy of the environment, which libintl reads with getenv; an empty value
// removes the variable.
void setEnvironmentVariable(const char* name, const std::string& value) {
  _putenv_s(name, value.c_str());
}

// The folder in wide characters, so that any letter of the install path reaches the system.
void bindCatalogueFolder(const char* domain, const std::string& folder) {
  wbindtextdomain(domain, utf8ToWide(folder).c_str());
}
