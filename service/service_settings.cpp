#include "service/service_settings.h"

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/setting_names.h"
#include "platform/text_case.h"
#include "platform/translation.h"
#include "service/proxy_url.h"

namespace {

// The setting of settings that name stands for; none for a name that is no setting of the
// service's.
Setting* settingNamed(const std::string& name, ServiceSettings& settings) {
  if (name == settingName(kServiceSetting)) return &settings.service;
  if (name == settingName(kCaFileSetting)) return &settings.caFile;
  if (name == settingName(kProxySetting)) return &settings.proxy;
  return nullptr;
}

void takeSetting(const StoredSetting& stored, ServiceSettings& settings) {
  if (!isSettingName(stored.name)) {
    settings.unknownSettings.push_back(formatMessage(
        translate("the setting {0} ({1}) is unknown and left out; the program knows only the "
                  "settings {2}"),
        {quoted(stored.name), stored.origin, settingNamesText()}));
    return;
  }
  Setting* setting = settingNamed(stored.name, settings);
  if (setting != nullptr) takeStoredSetting(stored, *setting);
}

// A bad override is the caller's to word, a bad stored value a setting.
void readService(ServiceSettings& settings, bool overridden) {
  Setting& service = settings.service;
  const std::string value = service.value.empty() ? kBuiltInServiceHost : service.value;
  service.problem = readServiceAddress(value, settings.host, settings.port);
  if (service.problem.empty()) return;
  if (overridden) {
    settings.serviceOverride = ServiceOverride::kUnusable;
  } else {
    settings.errors.push_back(
        formatMessage(translate("the setting service = {0} ({1}) {2}; write HOST or "
                                "HOST:PORT, an IPv6 address in brackets"),
                      {quoted(value), originText(service), service.problem}));
  }
}

// An override beside a policy's service: the same service is no change, another one is refused.
// A policy's service that cannot be used is named as broken, not as the service it would have
// been.
void takeServiceOverride(const Setting& override, ServiceSettings& settings) {
  const Setting& policy = settings.service;
  if (!policy.policy) {
    settings.service = Setting{override.value, override.origin, false, std::string()};
    return;
  }
  if (!policy.problem.empty()) {
    settings.serviceOverride = ServiceOverride::kAgainstBrokenPolicy;
    return;
  }
  std::string host;
  int port = 0;
  const std::string reason = readServiceAddress(override.value, host, port);
  if (reason.empty() && sameIgnoringCase(host, settings.host) && port == settings.port) return;
  settings.serviceOverride = ServiceOverride::kAgainstPolicy;
}

// The proxy's value is system (empty), direct, or the proxy's address.
void readProxy(ServiceSettings& settings) {
  Setting& proxy = settings.proxy;
  const std::string& value = proxy.value;
  if (value.empty() || value == kSystemProxyWord || value == kDirectProxyWord ||
      isProxyAddress(value))
    return;
  proxy.problem = translate("is not system, direct or http://HOST:PORT");
  settings.errors.push_back(formatMessage(
      translate("the setting proxy = {0} ({1}) is not system, direct or http://HOST:PORT; "
                "write one of them, with USER:PASSWORD@ before the host where the proxy asks for "
                "them"),
      {quoted(maskedProxy(value)), originText(proxy)}));
}

}  // namespace

std::string originText(const Setting& setting) {
  if (setting.origin.empty()) return translate("built in");
  return formatMessage(setting.policy ? translate("policy, from {0}") : translate("from {0}"),
                       {setting.origin});
}

void takeStoredSetting(const StoredSetting& stored, Setting& setting) {
  if (setting.policy && !stored.policy) return;
  setting = stored.value.empty() && !stored.policy
                ? Setting()
                : Setting{stored.value, stored.origin, stored.policy, std::string()};
}

ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const Setting& serviceOverride) {
  ServiceSettings settings;
  for (const StoredSetting& setting : stored) takeSetting(setting, settings);
  const bool overridden = !serviceOverride.value.empty();
  if (settings.service.policy) readService(settings, false);
  if (overridden) takeServiceOverride(serviceOverride, settings);
  if (!settings.service.policy) readService(settings, overridden);
  readProxy(settings);
  return settings;
}

ServiceSettings readServiceSettings(const StoredSettings& stored, const Setting& serviceOverride) {
  ServiceSettings settings = serviceSettingsOf(stored.settings, serviceOverride);
  for (const std::string& unknown : settings.unknownSettings) warning(unknown);
  settings.sourceErrors = stored.problems;
  settings.errors.insert(settings.errors.begin(), stored.problems.begin(), stored.problems.end());
  const bool workingFolderBundle = fileExists(kWorkingFolderBundle);
  const Setting& caFile = settings.caFile;
  settings.trust = trustOf(caFile.value, caFile.policy, workingFolderBundle);
  if (workingFolderBundle && settings.trust.kind != TrustKind::kWorkingFolder) {
    notice(formatMessage(translate("cacert.pem in the working folder is not used, as the site's "
                                   "policy sets the ca-file {0}: the policy is {1}"),
                         {caFile.value, caFile.origin}));
  }
  if (settings.trust.kind == TrustKind::kSystemStore) {
    const std::string bundle = libcurlDefaultBundle();
    if (!bundle.empty()) settings.trust.name += " " + bundle;
  }
  const std::string trustError = checkTrustBundle(settings.trust, originText(caFile));
  if (!trustError.empty()) settings.errors.push_back(trustError);
  return settings;
}

std::string serviceHostPort(const ServiceSettings& settings) {
  return settings.host + ":" + std::to_string(settings.port);
}

std::string serviceBaseUrl(const ServiceSettings& settings) {
  return "https://" + serviceHostPort(settings) + "/?";
}
