// The settings are files: the machine's in /etc, with the drop-ins of its folder
// /etc/timetable-print.conf.d, the user's where the XDG base directories put a program's
// configuration, and the site's policy. TIMETABLE_PRINT_CONF names another file for the
// machine's (and so another drop-in folder), so that a test or a trial runs apart from the
// machine's settings.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/translation.h"
#include "platform/xdg_base_posix.h"

namespace {

const char kMachineSettingsFile[] = "/etc/timetable-print.conf";
// Fixed, and followed by no variable: a policy is what the user cannot turn off. The tests put
// their own policy there in a private mount namespace rather than through a build-time path, so
// that the program they test is the one that ships.
const char kPolicyFile[] = "/etc/timetable-print-policy.conf";

std::string machineSettingsFile() {
  const char* file = std::getenv("TIMETABLE_PRINT_CONF");
  return file != nullptr && file[0] != '\0' ? file : kMachineSettingsFile;
}

// $XDG_CONFIG_HOME/timetable-print/config; empty without a home folder.
std::string userSettingsFile() {
  const std::string folder = xdgProgramFolder("XDG_CONFIG_HOME", ".config");
  return folder.empty() ? folder : folder + "/config";
}

// A settings file holds a few lines; a larger one is no settings file, and is not read on.
const size_t kMaxSettingsFileBytes = 64 * 1024;

// Appends the file's settings; a file that is not there has none.
void readSettingsFile(const std::string& path, bool policy, std::vector<StoredSetting>& settings) {
  const FileBytes read = readFileUpTo(path, kMaxSettingsFileBytes, true);
  if (read.error == ENOENT || read.error == ENOTDIR) return;
  if (!read.reason.empty()) {
    throw std::runtime_error(formatMessage(
        translate("the settings file {0} cannot be read; make it readable or remove it: {1}"),
        {path, read.reason}));
  }
  if (read.bytes.size() > kMaxSettingsFileBytes) {
    throw std::runtime_error(formatMessage(
        translate("the settings file {0} holds more than {1} KB, which no settings file does; "
                  "correct or remove it"),
        {path, std::to_string(kMaxSettingsFileBytes / 1024)}));
  }
  for (StoredSetting& setting : settingsOfText(read.bytes, path)) {
    setting.policy = policy;
    settings.push_back(std::move(setting));
  }
}

// The files NAME.conf of the folder, in the order of their names; none when there is no folder.
std::vector<std::string> dropInFiles(const std::string& folder) {
  std::vector<std::string> files;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return files;
  const std::string ending = ".conf";
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name[0] != '.' && name.size() > ending.size() &&
        name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
      files.push_back(folder + "/" + name);
    }
  }
  closedir(listing);
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<StoredSetting> readStoredSettings() {
  std::vector<StoredSetting> settings;
  const std::string machine = machineSettingsFile();
  readSettingsFile(machine, false, settings);
  for (const std::string& file : dropInFiles(machine + ".d")) {
    readSettingsFile(file, false, settings);
  }
  const std::string user = userSettingsFile();
  if (!user.empty()) readSettingsFile(user, false, settings);
  readSettingsFile(kPolicyFile, true, settings);
  return settings;
}

const char* systemCertificateStore() { return translate("the system's certificate bundle"); }
