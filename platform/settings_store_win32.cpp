// The settings are registry values of type REG_SZ: the machine's under HKLM, where the installer
// writes them, the user's under HKCU, and the site's policy under HKLM\Software\Policies, where
// Group Policy puts it and only an administrator may write.
#include <windows.h>

#include <stdexcept>

#include "platform/settings_store.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

const char kSettingsKey[] = "Software\\timetable-print";
const char kPolicyKey[] = "Software\\Policies\\timetable-print";

// The registry's value names of the settings and the settings' own names.
struct RegistryName {
  const wchar_t* value;
  const char* setting;
};
const RegistryName kRegistryNames[] = {{L"Service", "service"},
                                       {L"CAFile", "ca-file"},
                                       {L"Proxy", "proxy"},
                                       {L"Destination", "destination"}};

// Appends the key's settings; a key or a value that is not there adds none.
void readSettingsKey(HKEY root, const std::string& rootName, const std::string& keyName,
                     bool policy, std::vector<StoredSetting>& settings) {
  const DWORD flags = RRF_RT_REG_SZ;
  const std::wstring key = wideFromCodePage(keyName, CP_UTF8);
  for (const RegistryName& name : kRegistryNames) {
    const std::string origin = formatMessage(translate("{0}, value {1}"),
                                             {rootName + "\\" + keyName, utf8FromWide(name.value)});
    DWORD size = 0;
    LSTATUS status = RegGetValueW(root, key.c_str(), name.value, flags, nullptr, nullptr, &size);
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (status == ERROR_SUCCESS) {
      size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
      status = RegGetValueW(root, key.c_str(), name.value, flags, nullptr, &value[0], &size);
    }
    if (status == ERROR_FILE_NOT_FOUND) continue;
    if (status != ERROR_SUCCESS) {
      throw std::runtime_error(formatMessage(
          translate("the setting {0} cannot be read; make it a readable text value (REG_SZ): {1}"),
          {origin, systemMessage(static_cast<DWORD>(status))}));
    }
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    settings.push_back({name.setting, utf8FromWide(value), origin, policy});
  }
}

}  // namespace

std::vector<StoredSetting> readStoredSettings() {
  std::vector<StoredSetting> settings;
  readSettingsKey(HKEY_LOCAL_MACHINE, "HKLM", kSettingsKey, false, settings);
  readSettingsKey(HKEY_CURRENT_USER, "HKCU", kSettingsKey, false, settings);
  readSettingsKey(HKEY_LOCAL_MACHINE, "HKLM", kPolicyKey, true, settings);
  return settings;
}

const char* systemCertificateStore() { return translate("the Windows certificate store"); }
