// The settings are files: the machine's in /etc, the user's where the XDG base directories put
// a program's configuration. TIMETABLE_PRINT_CONF names another file for the machine's, so that
// a test or a trial runs apart from the machine's settings.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/settings_store.h"
#include "platform/settings_store_test_support.h"
#include "platform/translation.h"

namespace {

const char kMachineSettingsFile[] = "/etc/timetable-print.conf";

std::string machineSettingsFile() {
  const char* file = std::getenv("TIMETABLE_PRINT_CONF");
  return file != nullptr && file[0] != '\0' ? file : kMachineSettingsFile;
}

// $XDG_CONFIG_HOME/timetable-print/config, where $XDG_CONFIG_HOME is ~/.config when it is not
// set or not an absolute path; empty without a home folder.
std::string userSettingsFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config != nullptr && config[0] == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return std::string();
    folder = std::string(home) + "/.config";
  }
  return folder + "/timetable-print/config";
}

// A settings file holds a few lines; a larger one, or a device that never ends, is no settings
// file, and is not read on.
const size_t kMaxSettingsFileBytes = 64 * 1024;

[[noreturn]] void throwUnreadable(const std::string& path, int error) {
  throw std::runtime_error(formatMessage(
      translate("the settings file {0} cannot be read; make it readable or remove it: {1}"),
      {path, std::strerror(error)}));
}

// Appends the file's settings; a file that is not there has none.
void readSettingsFile(const std::string& path, std::vector<StoredSetting>& settings) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return;
    throwUnreadable(path, errno);
  }
  std::string text;
  char block[4096];
  size_t count = 0;
  while (text.size() <= kMaxSettingsFileBytes &&
         (count = std::fread(block, 1, sizeof block, file)) > 0) {
    text.append(block, count);
  }
  const int error = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (error != 0) throwUnreadable(path, error);
  if (text.size() > kMaxSettingsFileBytes) {
    throw std::runtime_error(formatMessage(
        translate("the settings file {0} holds more than {1} KB, which no settings file does; "
                  "correct or remove it"),
        {path, std::to_string(kMaxSettingsFileBytes / 1024)}));
  }
  for (StoredSetting& setting : settingsOfText(text, path)) settings.push_back(std::move(setting));
}

}  // namespace

std::vector<StoredSetting> readStoredSettings() {
  std::vector<StoredSetting> settings;
  readSettingsFile(machineSettingsFile(), settings);
  const std::string user = userSettingsFile();
  if (!user.empty()) readSettingsFile(user, settings);
  return settings;
}

const char* systemCertificateStore() { return translate("the system's certificate bundle"); }
