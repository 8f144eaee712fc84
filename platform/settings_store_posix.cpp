// The settings are files: the machine's in /etc, with the drop-ins of its folder
// /etc/timetable-print.conf.d, the user's where the XDG base directories put a program's
// configuration, and the site's policy. TIMETABLE_PRINT_CONF names another file for the
// machine's (and so another drop-in folder), so that a test or a trial runs apart from the
// machine's settings.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"
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

// Appends the file's settings; a file that is not there has none. The policy binds the user only
// when no one but root could have written it (TrustRule::kMachines); else the site's settings
// cannot be told from another user's, and none of them is used.
void readSettingsFile(const std::string& path, bool policy, StoredSettings& stored) {
  TrustedFileBytes read;
  bool notRegular = false;
  if (policy) {
    read = readTrustedFile(path, TrustRule::kMachines, kMaxSettingsFileBytes);
  } else {
    const FileBytes plain = readFileUpTo(path, kMaxSettingsFileBytes, true);
    read.bytes = plain.bytes;
    read.error = plain.error;
    read.reason = plain.reason;
    notRegular = plain.notRegular;
  }
  if (read.error == ENOENT || read.error == ENOTDIR) return;
  if (notRegular || read.fault == TrustFault::kNotPlainFile) {
    stored.problems.push_back(formatMessage(
        translate("the settings file {0} is not a file but a folder, a device or a pipe; remove "
                  "it, or put a settings file in its place"),
        {path}));
    return;
  }
  if (read.fault != TrustFault::kNone) {
    stored.problems.push_back(formatMessage(
        translate("the site's policy file {0} is refused, as it {1}, who could set the program's "
                  "service and trust; none of its settings is used: ask the IT department to "
                  "make it root's and writable only by root (chmod go-w)"),
        {path, read.reason}));
    return;
  }
  if (!read.reason.empty()) {
    stored.problems.push_back(formatMessage(
        translate("the settings file {0} cannot be read; make it readable or remove it: {1}"),
        {path, read.reason}));
    return;
  }
  if (read.bytes.size() > kMaxSettingsFileBytes) {
    stored.problems.push_back(formatMessage(
        translate("the settings file {0} holds more than {1} KB, which no settings file does; "
                  "correct or remove it"),
        {path, std::to_string(kMaxSettingsFileBytes / 1024)}));
    return;
  }
  for (StoredSetting& setting : settingsOfText(read.bytes, path, stored.problems)) {
    setting.policy = policy;
    stored.settings.push_back(std::move(setting));
  }
}

// The files NAME.conf of the folder, in the order of their names; none when there is no folder.
// A folder that is there but cannot be listed could hold the site's settings, so it is a problem.
std::vector<std::string> dropInFiles(const std::string& folder,
                                     std::vector<std::string>& problems) {
  std::vector<std::string> files;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) {
    if (errno != ENOENT && errno != ENOTDIR) {
      problems.push_back(formatMessage(translate("the settings folder {0} cannot be read; make "
                                                 "it readable or remove it: {1}"),
                                       {folder, fileErrorText(errno)}));
    }
    return files;
  }
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

StoredSettings readStoredSettings() {
  StoredSettings stored;
  const std::string machine = machineSettingsFile();
  readSettingsFile(machine, false, stored);
  for (const std::string& file : dropInFiles(machine + ".d", stored.problems)) {
    readSettingsFile(file, false, stored);
  }
  const std::string user = userSettingsFile();
  if (!user.empty()) readSettingsFile(user, false, stored);
  readSettingsFile(kPolicyFile, true, stored);
  return stored;
}

const char* systemCertificateStore() { return translate("the system's certificate bundle"); }
