#include "service/settings_display.h"

#include "platform/messages.h"
#include "platform/translation.h"
#include "service/proxy_url.h"

namespace {

// One line of --settings: the value, cleaned as messages are, and what is wrong with it.
std::string settingLine(const char* name, const std::string& value, const Setting& setting) {
  std::string line = oneLine(std::string(name) + " = " + value + " (" + originText(setting) + ")");
  if (!setting.problem.empty()) {
    line = formatMessage(translate("{0}; wrong: it {1}"), {line, oneLine(setting.problem)});
  }
  return line + "\n";
}

}  // namespace

std::string describeServiceSettings(const ServiceSettings& settings) {
  // The names of the settings are the files' own words and stay as they are.
  const Setting& service = settings.service;
  std::string text = settingLine(
      "service", service.problem.empty() ? serviceHostPort(settings) : quoted(service.value),
      service);
  if (settings.caFile.value.empty()) {
    text += formatMessage(translate("{0} is not set"), {"ca-file"}) + "\n";
  } else {
    Setting caFile = settings.caFile;
    if (settings.trust.kind == TrustKind::kCaFile) caFile.problem = settings.trust.problem;
    text += settingLine("ca-file", caFile.value, caFile);
  }
  const Setting& proxy = settings.proxy;
  text += settingLine("proxy", proxy.value.empty() ? "system" : maskedProxy(proxy.value), proxy);
  if (!settings.destination.value.empty()) {
    text += settingLine("destination", settings.destination.value, settings.destination);
  }
  const Setting& offline = settings.offline;
  text += settingLine("offline", offline.value.empty() ? "0" : offline.value, offline);
  if (!settings.prefetch.value.empty()) {
    text += settingLine("prefetch", settings.prefetch.value, settings.prefetch);
  }
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
