#ifndef TIMETABLE_PLATFORM_SETTINGS_STORE_TEST_SUPPORT_H_
#define TIMETABLE_PLATFORM_SETTINGS_STORE_TEST_SUPPORT_H_

// For the tests, and the reading of a settings file: the settings of its text.
#include <string>
#include <vector>

#include "platform/settings_store.h"

// The settings of a file's text: "name = value" lines and blank lines; a "#" at the start of a
// line or after a blank begins a comment. Blanks around the name and the value are dropped; a
// UTF-8 byte order mark at the start of any line (as files joined together hold) and CR line
// ends are taken. A line that is no setting, or that holds a NUL character, is left out and its
// error, naming the line, appended to problems. The origin of each is "file, line N".
std::vector<StoredSetting> settingsOfText(const std::string& text, const std::string& file,
                                          std::vector<std::string>& problems);

#endif  // TIMETABLE_PLATFORM_SETTINGS_STORE_TEST_SUPPORT_H_
