#include "service/service_settings.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool allDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Four decimal numbers from 0 to 255, without leading zeros, separated by dots.
bool isIpv4(const std::string& text) {
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

// Counts the colon-separated groups of up to four hex digits in text; the last may be an IPv4
// address, which stands for two. False for anything else.
bool countHexGroups(const std::string& text, bool lastMayBeIpv4, int& count) {
  count = 0;
  if (text.empty()) return true;
  for (size_t start = 0;;) {
    const size_t end = text.find(':', start);
    const std::string group = text.substr(start, end == std::string::npos ? end : end - start);
    if (end == std::string::npos && lastMayBeIpv4 && isIpv4(group)) {
      count += 2;
      return true;
    }
    if (group.empty() || group.size() > 4) return false;
    for (char c : group) {
      if (!isHexDigit(c)) return false;
    }
    ++count;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// Eight groups, or fewer around one "::".
bool isIpv6(const std::string& text) {
  const size_t gap = text.find("::");
  int head = 0;
  int tail = 0;
  if (gap == std::string::npos) return countHexGroups(text, true, head) && head == 8;
  if (text.find("::", gap + 1) != std::string::npos) return false;
  return countHexGroups(text.substr(0, gap), false, head) &&
         countHexGroups(text.substr(gap + 2), true, tail) && head + tail <= 7;
}

// Labels of letters, digits and inner hyphens, 63 characters at most, 253 in all; a name whose
// last label is a number must be an IPv4 address.
bool isHostName(const std::string& text) {
  if (text.empty() || text.size() > 253) return false;
  std::string label;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    label = text.substr(start, end - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
      return false;
    }
    for (char c : label) {
      const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
      if (!letter && !isDigit(c) && c != '-') return false;
    }
    start = end + 1;
  }
  return !allDigits(label) || isIpv4(text);
}

std::string originText(const Setting& setting) {
  return setting.origin.empty() ? translate("built in")
                                : formatMessage(translate("from {0}"), {setting.origin});
}

// Takes one setting; an empty value stands for the built-in one.
void takeSetting(const StoredSetting& stored, ServiceSettings& settings) {
  Setting* setting = nullptr;
  if (stored.name == kServiceName) {
    setting = &settings.service;
  } else if (stored.name == kCaFileName) {
    setting = &settings.caFile;
  } else if (stored.name == kProxyName) {
    setting = &settings.proxy;
  } else {
    warning(formatMessage(translate("the setting \"{0}\" ({1}) is unknown and left out; the "
                                    "settings are service and ca-file"),
                          {stored.name, stored.origin}));
    return;
  }
  *setting = stored.value.empty() ? Setting() : Setting{stored.value, stored.origin};
}

void readService(ServiceSettings& settings) {
  const Setting& service = settings.service;
  const std::string value = service.value.empty() ? kBuiltInServiceHost : service.value;
  const std::string reason = readServiceAddress(value, settings.host, settings.port);
  if (!reason.empty()) {
    throw std::runtime_error(formatMessage(translate("the setting service = \"{0}\" ({1}) {2}; "
                                                     "write HOST or HOST:PORT, an IPv6 address "
                                                     "in brackets"),
                                           {value, originText(service), reason}));
  }
}

// The system's reason why the file cannot be read, or an empty text. Reading a byte is what
// tells: a folder opens as a file on Linux.
std::string unreadableReason(const std::string& path) {
  std::FILE* file = openFileForReading(path);
  int error = file == nullptr ? errno : 0;
  if (file != nullptr) {
    if (std::fgetc(file) == EOF && std::ferror(file)) error = errno;
    std::fclose(file);
  }
  return error == 0 ? std::string() : std::strerror(error);
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

void chooseTrust(ServiceSettings& settings) {
  if (fileExists(kWorkingFolderBundle)) {
    settings.trust = TrustKind::kWorkingFolder;
    settings.trustFile = kWorkingFolderBundle;
    settings.trustName = translate("cacert.pem in the working folder");
    const std::string reason = unreadableReason(kWorkingFolderBundle);
    if (!reason.empty()) {
      throw std::runtime_error(
          formatMessage(translate("the CA bundle cacert.pem in the working folder cannot be read; "
                                  "make it readable or remove it: {0}"),
                        {reason}));
    }
  } else if (!settings.caFile.value.empty()) {
    settings.trust = TrustKind::kCaFile;
    settings.trustFile = settings.caFile.value;
    settings.trustName = formatMessage(translate("the ca-file {0}"), {settings.trustFile});
    const std::string reason = unreadableReason(settings.trustFile);
    if (!reason.empty()) {
      throw std::runtime_error(
          formatMessage(translate("the ca-file {0} ({1}) cannot be read; correct the setting or "
                                  "make the file readable: {2}"),
                        {settings.trustFile, originText(settings.caFile), reason}));
    }
  } else {
    settings.trust = TrustKind::kSystemStore;
    settings.trustName = translate(systemCertificateStore());
    const std::string bundle = libcurlDefaultBundle();
    if (!bundle.empty()) settings.trustName += " " + bundle;
  }
}

}  // namespace

std::string readServiceAddress(const std::string& text, std::string& host, int& port) {
  const std::string notHost = translate("is not a host name or IP address");
  const std::string badPort = translate("has a port outside 1 to 65535");
  // The host ends at its closing bracket, or else at the first colon; a port may follow.
  const bool bracketed = !text.empty() && text[0] == '[';
  const size_t hostEnd = bracketed ? text.find(']') + 1 : text.find(':');
  if (bracketed && hostEnd == 0) return notHost;
  const std::string name = text.substr(0, hostEnd);
  if (bracketed ? !isIpv6(name.substr(1, name.size() - 2)) : !isHostName(name)) return notHost;
  int number = kDefaultServicePort;
  if (hostEnd < text.size()) {
    if (text[hostEnd] != ':') return notHost;
    const std::string portText = text.substr(hostEnd + 1);
    if (!allDigits(portText)) return notHost;
    if (portText.size() > 5) return badPort;
    number = std::stoi(portText);
    if (number < 1 || number > 65535) return badPort;
  }
  host = name;
  port = number;
  return std::string();
}

ServiceSettings serviceSettingsOf(const std::vector<StoredSetting>& stored,
                                  const std::string& serviceOption) {
  ServiceSettings settings;
  for (const StoredSetting& setting : stored) takeSetting(setting, settings);
  if (!serviceOption.empty())
    settings.service = Setting{serviceOption, translate("the option --service")};
  readService(settings);
  return settings;
}

ServiceSettings readServiceSettings(const std::string& serviceOption) {
  ServiceSettings settings = serviceSettingsOf(readStoredSettings(), serviceOption);
  chooseTrust(settings);
  return settings;
}

std::string serviceBaseUrl(const ServiceSettings& settings) {
  return "https://" + settings.host + ":" + std::to_string(settings.port) + "/?";
}

std::string describeServiceSettings(const ServiceSettings& settings) {
  // The names of the settings are the files' own words and stay as they are.
  std::string text = std::string(kServiceName) + " = " + settings.host + ":" +
                     std::to_string(settings.port) + " (" + originText(settings.service) + ")\n";
  if (settings.caFile.value.empty()) {
    text += formatMessage(translate("{0} is not set"), {kCaFileName}) + "\n";
  } else {
    text += std::string(kCaFileName) + " = " + settings.caFile.value + " (" +
            originText(settings.caFile) + ")\n";
  }
  const bool beforeCaFile =
      settings.trust == TrustKind::kWorkingFolder && !settings.caFile.value.empty();
  text +=
      formatMessage(beforeCaFile ? translate("the service's certificate is checked against "
                                             "{0}, which comes before the ca-file")
                                 : translate("the service's certificate is checked against {0}"),
                    {settings.trustName});
  return text + "\n";
}
