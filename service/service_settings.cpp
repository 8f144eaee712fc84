#include "service/service_settings.h"

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/setting_names.h"
#include "platform/text_case.h"
#include "platform/translation.h"
#include "service/proxy_url.h"

namespace {

// The setting of settings that name stands for; none for a name that is no setting.
Setting* settingNamed(const std::string& name, ServiceSettings& settings) {
  if (name == "service") return &settings.service;
  if (name == "ca-file") return &settings.caFile;
  if (name == "proxy") return &settings.proxy;
  if (name == "destination") return &settings.destination;
  if (name == "offline") return &settings.offline;
  if (name == "prefetch") return &settings.prefetch;
  return nullptr;
}

// Takes one setting; an empty value stands for the built-in one. A policy's value stays: this
// is where a policy wins, and nowhere else.
void takeSetting(const StoredSetting& stored, ServiceSettings& settings) {
  Setting* setting = isSettingName(stored.name) ? settingNamed(stored.name, settings) : nullptr;
  if (setting == nullptr) {
    settings.unknownSettings.push_back(formatMessage(
        translate("the setting {0} ({1}) is unknown and left out; the program knows only the "
                  "settings {2}"),
        {quoted(stored.name), stored.origin, settingNamesText()}));
    return;
  }
  if (setting->policy && !stored.policy) return;
  *setting = stored.value.empty() && !stored.policy
                 ? Setting()
                 : Setting{stored.value, stored.origin, stored.policy, std::string()};
}

// A bad --service is a command line to correct, a bad stored one a setting.
void readService(ServiceSettings& settings, bool fromOption) {
  Setting& service = settings.service;
  const std::string value = service.value.empty() ? kBuiltInServiceHost : service.value;
  service.problem = readServiceAddress(value, settings.host, settings.port);
  if (service.problem.empty()) return;
  if (fromOption) {
    settings.usageError = formatMessage(translate("the option --service {0} {1}; give HOST or "
                                                  "HOST:PORT, an IPv6 address in brackets"),
                                        {quoted(value), service.problem});
  } else {
    settings.errors.push_back(
        formatMessage(translate("the setting service = {0} ({1}) {2}; write HOST or "
                                "HOST:PORT, an IPv6 address in brackets"),
                      {quoted(value), originText(service), service.problem}));
  }
}

// A --service beside a policy's service: the same service is no change, another one is a
// command line the site does not allow. A policy's service that cannot be used is named as
// broken, not as the service it would have been.
void takeServiceOption(const std::string& option, ServiceSettings& settings) {
  const Setting& policy = settings.service;
  if (!policy.policy) {
    settings.service = Setting{option, translate("the option --service"), false, std::string()};
    return;
  }
  if (!policy.problem.empty()) {
    settings.usageError = formatMessage(
        translate("the option --service {0} cannot be used, as the site's policy sets the "
                  "service, and its value {1} {2}; leave the option out and ask the IT "
                  "department to correct the policy: {3}"),
        {quoted(option), quoted(policy.value), policy.problem, policy.origin});
    return;
  }
  std::string host;
  int port = 0;
  const std::string reason = readServiceAddress(option, host, port);
  if (reason.empty() && sameIgnoringCase(host, settings.host) && port == settings.port) return;
  settings.usageError = formatMessage(
      translate("the option --service {0} cannot be used, as the site's policy sets the "
                "service {1}; leave the option out: the policy is {2}"),
      {quoted(option), serviceHostPort(settings), policy.origin});
}

// The proxy's value is system (empty), direct, or the proxy's address.
void readProxy(ServiceSettings& settings) {
  Setting& proxy = settings.proxy;
  const std::string& value = proxy.value;
  if (value.empty() || value == "system" || value == "direct" || isProxyAddress(value)) return;
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

ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const std::string& serviceOption) {
  ServiceSettings settings;
  for (const StoredSetting& setting : stored) takeSetting(setting, settings);
  if (settings.service.policy) readService(settings, false);
  if (!serviceOption.empty()) takeServiceOption(serviceOption, settings);
  if (!settings.service.policy) readService(settings, !serviceOption.empty());
  readProxy(settings);
  return settings;
}

ServiceSettings readServiceSettings(const std::string& serviceOption) {
  const StoredSettings stored = readStoredSettings();
  ServiceSettings settings = serviceSettingsOf(stored.settings, serviceOption);
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
