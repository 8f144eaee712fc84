#include "service/settings_display.h"

#include "platform/messages.h"
#include "platform/setting_names.h"
#include "platform/translation.h"
#include "service/proxy_url.h"

std::string settingLine(const char* name, const std::string& value, const Setting& setting) {
  std::string line = oneLine(std::string(name) + " = " + value + " (" + originText(setting) + ")");
  if (!setting.problem.empty()) {
    line = formatMessage(translate("{0}; wrong: it {1}"), {line, oneLine(setting.problem)});
  }
  return line + "\n";
}

std::string describeServiceSettings(const ServiceSettings& settings,
                                    const std::string& moreSettings) {
  // The names of the settings are the files' own words and stay as they are.
  const Setting& service = settings.service;
  std::string text = settingLine(
      settingName(kServiceSetting),
      service.problem.empty() ? serviceHostPort(settings) : quoted(service.value), service);
  if (settings.caFile.value.empty()) {
    text += formatMessage(translate("{0} is not set"), {settingName(kCaFileSetting)}) + "\n";
  } else {
    Setting caFile = settings.caFile;
    if (settings.trust.kind == TrustKind::kCaFile) caFile.problem = settings.trust.problem;
    text += settingLine(settingName(kCaFileSetting), caFile.value, caFile);
  }
  const Setting& proxy = settings.proxy;
  text += settingLine(settingName(kProxySetting),
                      proxy.value.empty() ? kSystemProxyWord : maskedProxy(proxy.value), proxy);
  text += moreSettings;
  const Trust& trust = settings.trust;
  std::string line = formatMessage(
      trust.beforeCaFile ? translate("the service's certificate is checked against {0}; that "
                                     "file comes before the ca-file setting")
                         : translate("the service's certificate is checked against {0}"),
      {trust.name});
  if (trust.kind == TrustKind::kWorkingFolder && !trust.problem.empty()) {
    line = formatMessage(translate("{0}; wrong: it {1}"), {line, trust.problem});
  }
  text += oneLine(line) + "\n";
  // What could not be read: each is a whole sentence that names its source.
  for (const std::string& problem : settings.sourceErrors) {
    text += oneLine(formatMessage(translate("wrong: {0}"), {problem})) + "\n";
  }
  return text;
}
