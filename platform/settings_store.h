#ifndef TIMETABLE_PLATFORM_SETTINGS_STORE_H_
#define TIMETABLE_PLATFORM_SETTINGS_STORE_H_

#include <string>
#include <vector>

// The settings a site or a user keeps for the program, as text. Each platform keeps them in its
// own place: on Linux the files /etc/timetable-print.conf (or the file $TIMETABLE_PRINT_CONF
// names) and the user's
// $XDG_CONFIG_HOME/timetable-print/config; on Windows the registry keys
// HKLM\Software\timetable-print and HKCU\Software\timetable-print. What they mean is not known
// here.

struct StoredSetting {
  std::string name;
  std::string value;
  std::string origin;   // Where it was read, for messages: "FILE, line 3", or a registry key.
  bool policy = false;  // Set by the site's policy, which the user cannot override.
};

// What the stores hold: every setting that could be read, and an error for each source or line
// that could not, naming it, so that --settings can show all of them at once.
struct StoredSettings {
  std::vector<StoredSetting> settings;
  std::vector<std::string> problems;
};

// The stored settings, the machine's before the user's and the policy's last, each source's in
// its own order, so that a later one wins. On Linux the machine's are the file and then the
// files NAME.conf of its folder FILE.d in the order of their names; the policy's are the file
// /etc/timetable-print-policy.conf. On Windows the policy's are under
// HKLM\Software\Policies\timetable-print. A source that does not exist is left out; one that
// exists but cannot be read, a line of a file that is no setting, and a policy that others than
// root could have written (whose settings are then all left out) are problems.
StoredSettings readStoredSettings();

// The trust the system keeps for certificates, in the user's terms: "the Windows certificate
// store", "the system's certificate bundle".
const char* systemCertificateStore();

// The settings of a file's text: "name = value" lines and blank lines; a "#" at the start of a
// line or after a blank begins a comment. Blanks around the name and the value are dropped; a
// UTF-8 byte order mark at the start of any line (as files joined together hold) and CR line
// ends are taken. A line that is no setting, or that holds a NUL character, is left out and its
// error, naming the line, appended to problems. The origin of each is "file, line N".
std::vector<StoredSetting> settingsOfText(const std::string& text, const std::string& file,
                                          std::vector<std::string>& problems);

#endif  // TIMETABLE_PLATFORM_SETTINGS_STORE_H_
