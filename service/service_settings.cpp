#include "service/service_settings.h"

#include <curl/curl.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/translation.h"

const char* const kBuiltInServiceHost = TIMETABLE_SERVICE_HOST;
const int kDefaultServicePort = 9640;
const char* const kWorkingFolderBundle = "cacert.pem";

namespace {

const char kServiceName[] = "service";
const char kCaFileName[] = "ca-file";
const char kProxyName[] = "proxy";

bool allDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Four decimal numbers from 0 to 255, without leading zeros, separated by dots: the usual form,
// and no other that a resolver would also take (127.1, 0x7f000001, 010.0.0.1).
bool isDottedQuad(const std::string& text) {
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t end = part < 3 ? text.find('.', start) : text.size();
    if (end == std::string::npos) return false;
    const std::string number = text.substr(start, end - start);
    if (!allDigits(number) || number.size() > 3 || (number.size() > 1 && number[0] == '0') ||
        std::stoi(number) > 255) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

// Labels of letters, digits and inner hyphens, 63 characters at most, 253 in all, the last not
// a number: libcurl takes more (underscores, empty labels), which no resolver finds.
bool isDnsName(const std::string& text) {
  if (text.empty() || text.size() > 253) return false;
  std::string label;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    label = text.substr(start, end - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
        label.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") !=
            std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return !allDigits(label);
}

using Url = std::unique_ptr<CURLU, void (*)(CURLU*)>;

// One part of a parsed URL; empty when it has none.
std::string urlPart(const Url& url, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(url.get(), part, &text, 0) != CURLUE_OK || text == nullptr) return "";
  const std::string value = text;
  curl_free(text);
  return value;
}

// Whether the URL's host, as libcurl read it, is the host as written, in its usual form: an
// IPv6 address in brackets (which libcurl checks), a dotted IPv4 address or a DNS name.
// libcurl rewrites the other forms of an IPv4 address into the dotted one, so those differ.
bool isUsualHost(const Url& url, const std::string& written) {
  const std::string host = urlPart(url, CURLUPART_HOST);
  if (!written.empty() && written[0] == '[') return !host.empty() && host[0] == '[';
  return sameIgnoringCase(host, written) && (isDottedQuad(written) || isDnsName(written));
}

// The port of the URL, 1 to 65535, or 0 when it is outside; fallback when none was written.
int portOf(const Url& url, int fallback) {
  const std::string port = urlPart(url, CURLUPART_PORT);
  if (port.empty()) return fallback;
  if (!allDigits(port) || port.size() > 5) return 0;
  const int number = std::stoi(port);
  return number <= 65535 ? number : 0;
}

// Whether the URL holds nothing beyond its scheme, user, host and port.
bool hasNoPath(const Url& url) {
  const std::string path = urlPart(url, CURLUPART_PATH);
  return (path.empty() || path == "/") && urlPart(url, CURLUPART_QUERY).empty() &&
         urlPart(url, CURLUPART_FRAGMENT).empty() && urlPart(url, CURLUPART_ZONEID).empty();
}

std::string originText(const Setting& setting) {
  if (setting.origin.empty()) return translate("built in");
  return formatMessage(setting.policy ? translate("policy, from {0}") : translate("from {0}"),
                       {setting.origin});
}

// Takes one setting; an empty value stands for the built-in one. A policy's value stays.
void takeSetting(const StoredSetting& stored, ServiceSettings& settings) {
  Setting* setting = nullptr;
  if (stored.name == kServiceName) {
    setting = &settings.service;
  } else if (stored.name == kCaFileName) {
    setting = &settings.caFile;
  } else if (stored.name == kProxyName) {
    setting = &settings.proxy;
  } else {
    warning(formatMessage(
        translate("the setting {0} ({1}) is unknown and left out; the program "
                  "knows only the settings {2}"),
        {quoted(stored.name), stored.origin, listed({kServiceName, kCaFileName, kProxyName})}));
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
// command line the site does not allow.
void takeServiceOption(const std::string& option, ServiceSettings& settings) {
  if (!settings.service.policy) {
    settings.service = Setting{option, translate("the option --service"), false, std::string()};
    return;
  }
  std::string host;
  int port = 0;
  const std::string reason = readServiceAddress(option, host, port);
  if (reason.empty() && sameIgnoringCase(host, settings.host) && port == settings.port) return;
  settings.usageError = formatMessage(
      translate("the option --service {0} cannot be used, as the site's policy sets the "
                "service {1}; leave the option out: the policy is {2}"),
      {quoted(option), serviceHostPort(settings), settings.service.origin});
}

// An http URL of a host and its port, with a user and a password where the proxy asks for them.
bool isProxyAddress(const std::string& value) {
  const std::string scheme = "http://";
  if (value.compare(0, scheme.size(), scheme) != 0) return false;
  const size_t end = value.find_first_of("/?#", scheme.size());
  const std::string authority =
      value.substr(scheme.size(), end == std::string::npos ? end : end - scheme.size());
  const size_t at = authority.rfind('@');
  const std::string hostPort = at == std::string::npos ? authority : authority.substr(at + 1);
  const size_t bracket = hostPort.rfind(']');
  std::string host;
  int port = 0;
  Url url(curl_url(), curl_url_cleanup);
  return hostPort.find(':', bracket == std::string::npos ? 0 : bracket) != std::string::npos &&
         readServiceAddress(hostPort, host, port).empty() && url &&
         curl_url_set(url.get(), CURLUPART_URL, value.c_str(), 0) == CURLUE_OK && hasNoPath(url);
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
      {quoted(shownProxy(value)), originText(proxy)}));
}

// cacert.pem vouches for the service only when no one but the user and root could have put it
// there or changed it, as ssh does for its keys.
std::string guardProblem(const std::string& path) {
  switch (fileGuardOf(path)) {
    case FileGuard::kOwnedByAnother:
      return translate("belongs to another user than you or root");
    case FileGuard::kWritableByOthers:
      return translate("may be changed by others than its owner");
    case FileGuard::kGuarded:
      break;
  }
  return std::string();
}

// Checks the trust's bundle before the first prompt. Only a plain file is opened, so that a pipe
// or a device cannot hold the run.
void checkTrust(ServiceSettings& settings) {
  Trust& trust = settings.trust;
  if (trust.kind == TrustKind::kSystemStore) return;
  const bool workingFolder = trust.kind == TrustKind::kWorkingFolder;
  const FileBytes read = readFileUpTo(trust.file, 0, true);
  if (!read.reason.empty()) {
    trust.problem = formatMessage(translate("cannot be read: {0}"), {read.reason});
    settings.errors.push_back(
        workingFolder
            ? formatMessage(translate("the CA bundle cacert.pem in the working folder cannot be "
                                      "read; make it readable or remove it: {0}"),
                            {read.reason})
            : formatMessage(translate("the ca-file {0} ({1}) cannot be read; correct the setting "
                                      "or make the file readable: {2}"),
                            {trust.file, originText(settings.caFile), read.reason}));
    return;
  }
  if (workingFolder) trust.problem = guardProblem(trust.file);
  if (!trust.problem.empty()) {
    settings.errors.push_back(formatMessage(
        translate("the CA bundle cacert.pem in the working folder is refused, as it {0}, who "
                  "could make the program trust another service; make it yours or root's and "
                  "writable only by its owner (chmod go-w cacert.pem), or remove it"),
        {trust.problem}));
  }
}

// The bundle libcurl reads when none is named (Debian's on Linux); none where the TLS library
// asks the system's store itself, as Schannel does. libcurl's global state is set up and torn
// down around it, so that the requests' own set-up stays the one that counts.
std::string libcurlDefaultBundle() {
  std::string bundle;
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return bundle;
  if (CURL* handle = curl_easy_init()) {
    char* path = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CAINFO, &path) == CURLE_OK && path != nullptr) {
      bundle = path;
    }
    curl_easy_cleanup(handle);
  }
  curl_global_cleanup();
  return bundle;
}

// One line of --settings: the value, cleaned as messages are, and what is wrong with it.
std::string settingLine(const char* name, const std::string& value, const Setting& setting) {
  std::string line = oneLine(std::string(name) + " = " + value + " (" + originText(setting) + ")");
  if (!setting.problem.empty()) {
    line = formatMessage(translate("{0}; wrong: it {1}"), {line, oneLine(setting.problem)});
  }
  return line + "\n";
}

}  // namespace

std::string readServiceAddress(const std::string& text, std::string& host, int& port) {
  const std::string notHost = translate("is not a host name or IP address");
  const std::string badPort = translate("has a port outside 1 to 65535");
  // The host ends at its closing bracket, or else at the first colon; a port may follow.
  const bool bracketed = !text.empty() && text[0] == '[';
  const size_t hostEnd = bracketed ? text.find(']') + 1 : text.find(':');
  if ((bracketed && hostEnd == 0) || text.find_first_of("/?#@%\\") != std::string::npos) {
    return notHost;
  }
  const std::string written = text.substr(0, hostEnd);
  const std::string portText = hostEnd < text.size() ? text.substr(hostEnd + 1) : "";
  if (hostEnd < text.size() && (text[hostEnd] != ':' || !allDigits(portText))) return notHost;
  Url url(curl_url(), curl_url_cleanup);
  if (!url) return notHost;
  const CURLUcode code = curl_url_set(url.get(), CURLUPART_URL, ("https://" + text).c_str(), 0);
  if (code == CURLUE_BAD_PORT_NUMBER) return badPort;
  if (code != CURLUE_OK || !isUsualHost(url, written) || !hasNoPath(url)) return notHost;
  const int number = portOf(url, kDefaultServicePort);
  if (number < 1) return badPort;
  host = written;
  port = number;
  return std::string();
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

Trust trustOf(const ServiceSettings& settings, bool workingFolderBundle) {
  const Setting& caFile = settings.caFile;
  Trust trust;
  if (workingFolderBundle && !(caFile.policy && !caFile.value.empty())) {
    trust.kind = TrustKind::kWorkingFolder;
    trust.file = kWorkingFolderBundle;
    trust.name = translate("cacert.pem in the working folder");
    trust.beforeCaFile = !caFile.value.empty();
  } else if (!caFile.value.empty()) {
    trust.kind = TrustKind::kCaFile;
    trust.file = caFile.value;
    trust.name = formatMessage(translate("the ca-file {0}"), {trust.file});
  } else {
    // The platform names its store in the user's language already.
    trust.name = systemCertificateStore();
  }
  return trust;
}

ServiceSettings readServiceSettings(const std::string& serviceOption) {
  ServiceSettings settings = serviceSettingsOf(readStoredSettings(), serviceOption);
  const bool workingFolderBundle = fileExists(kWorkingFolderBundle);
  settings.trust = trustOf(settings, workingFolderBundle);
  if (workingFolderBundle && settings.trust.kind != TrustKind::kWorkingFolder) {
    notice(formatMessage(translate("cacert.pem in the working folder is not used, as the site's "
                                   "policy sets the ca-file {0}: the policy is {1}"),
                         {settings.caFile.value, settings.caFile.origin}));
  }
  if (settings.trust.kind == TrustKind::kSystemStore) {
    const std::string bundle = libcurlDefaultBundle();
    if (!bundle.empty()) settings.trust.name += " " + bundle;
  }
  checkTrust(settings);
  return settings;
}

std::string serviceHostPort(const ServiceSettings& settings) {
  return settings.host + ":" + std::to_string(settings.port);
}

std::string serviceBaseUrl(const ServiceSettings& settings) {
  return "https://" + serviceHostPort(settings) + "/?";
}

std::string shownProxy(const std::string& value) {
  const size_t scheme = value.find("://");
  const size_t userStart = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t at = value.rfind('@');
  const size_t colon = value.find(':', userStart);
  if (at == std::string::npos || at < userStart || colon > at) return value;
  return value.substr(0, colon + 1) + "***" + value.substr(at);
}

std::string describeServiceSettings(const ServiceSettings& settings) {
  // The names of the settings are the files' own words and stay as they are.
  const Setting& service = settings.service;
  std::string text = settingLine(
      kServiceName, service.problem.empty() ? serviceHostPort(settings) : quoted(service.value),
      service);
  if (settings.caFile.value.empty()) {
    text += formatMessage(translate("{0} is not set"), {kCaFileName}) + "\n";
  } else {
    Setting caFile = settings.caFile;
    if (settings.trust.kind == TrustKind::kCaFile) caFile.problem = settings.trust.problem;
    text += settingLine(kCaFileName, caFile.value, caFile);
  }
  const Setting& proxy = settings.proxy;
  text += settingLine(kProxyName, proxy.value.empty() ? "system" : shownProxy(proxy.value), proxy);
  const Trust& trust = settings.trust;
  std::string line = formatMessage(
      trust.beforeCaFile ? translate("the service's certificate is checked against {0}; that "
                                     "file comes before the ca-file setting")
                         : translate("the service's certificate is checked against {0}"),
      {trust.name});
  if (trust.kind == TrustKind::kWorkingFolder && !trust.problem.empty()) {
    line = formatMessage(translate("{0}; wrong: it {1}"), {line, trust.problem});
  }
  return text + oneLine(line) + "\n";
}
