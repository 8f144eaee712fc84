// The settings are registry values of type REG_SZ: the machine's under HKLM, where the installer
// writes them, the user's under HKCU, and the site's policy under HKLM\Software\Policies, where
// Group Policy puts it and only an administrator may write.
#include <windows.h>

#include "platform/setting_names.h"
#include "platform/settings_store.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

const char kSettingsKey[] = "Software\\timetable-print";
const char kPolicyKey[] = "Software\\Policies\\timetable-print";

// Appends the key's settings; a key or a value that is not there adds none.
void readSettingsKey(HKEY root, const std::string& rootName, const std::string& keyName,
                     bool policy, StoredSettings& stored) {
  const DWORD flags = RRF_RT_REG_SZ;
  const std::wstring key = wideFromCodePage(keyName, CP_UTF8);
  for (size_t i = 0; i < kSettingNameCount; ++i) {
    const SettingName& name = kSettingNames[i];
    const std::wstring valueName = wideFromCodePage(name.registryValue, CP_UTF8);
    const std::string origin =
        formatMessage(translate("{0}, value {1}"), {rootName + "\\" + keyName, name.registryValue});
    DWORD size = 0;
    LSTATUS status =
        RegGetValueW(root, key.c_str(), valueName.c_str(), flags, nullptr, nullptr, &size);
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS) {
      size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
      status = RegGetValueW(root, key.c_str(), valueName.c_str(), flags, nullptr, &value[0], &size);
    }
    if (status == ERROR_FILE_NOT_FOUND) continue;
    if (status != ERROR_SUCCESS) {
      stored.problems.push_back(formatMessage(
          translate("the setting {0} cannot be read; make it a readable text value (REG_SZ): {1}"),
          {origin, systemMessage(static_cast<DWORD>(status))}));
      continue;
    }
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    stored.settings.push_back({name.name, utf8FromWide(value), origin, policy});
  }
}

}  // namespace

StoredSettings readStoredSettings() {
  StoredSettings stored;
  readSettingsKey(HKEY_LOCAL_MACHINE, "HKLM", kSettingsKey, false, stored);
  readSettingsKey(HKEY_CURRENT_USER, "HKCU", kSettingsKey, false, stored);
  readSettingsKey(HKEY_LOCAL_MACHINE, "HKLM", kPolicyKey, true, stored);
  return stored;
}

const char* systemCertificateStore() { return translate("the Windows certificate store"); }
