#include "service/proxy_choice.h"

#include <cstdlib>
#include <vector>

#include "platform/system_proxy.h"
#include "platform/text_case.h"
#include "platform/translation.h"
#include "service/no_proxy.h"
#include "service/proxy_url.h"

namespace {

// The host without the brackets of an IPv6 address, as lists write it.
std::string bareHost(const std::string& host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    return host.substr(1, host.size() - 2);
  }
  return host;
}

// The entries of a list, split at any of the separators; empty entries left out.
std::vector<std::string> entriesOf(const std::string& list, const char* separators) {
  std::vector<std::string> entries;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find_first_of(separators, start);
    if (end == std::string::npos) end = list.size();
    if (end > start) entries.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

// Whether text matches pattern, where '*' stands for any text (also none).
bool matchesWildcard(const std::string& text, const std::string& pattern) {
  size_t t = 0;
  size_t p = 0;
  size_t starAt = std::string::npos;
  size_t resumeAt = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (starAt != std::string::npos) {
      p = starAt + 1;
      t = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string withScheme(const std::string& address) {
  return address.find("://") == std::string::npos ? "http://" + address : address;
}

ProxyChoice systemChoice(const std::string& host, const std::string& url) {
  const SystemProxy system = systemProxyFor(url);
  ProxyChoice choice;
  // TRANSLATORS: this and the next name where a proxy came from; they follow "from" in English,
  // and a translation may give each its own preposition instead, as "{0} (from {1})" may drop it.
  choice.source = system.automatic ? translate("the Windows automatic proxy configuration")
                                   : translate("the Windows proxy settings");
  const std::string proxy = proxyOfSystemList(system.proxy);
  if (proxy.empty()) {
    choice.why = translate("no proxy is set");
  } else if (inBypassList(host, system.bypass)) {
    choice.why =
        formatMessage(translate("{0} is in the bypass list of {1}"), {host, choice.source});
  } else {
    choice.url = proxy;
  }
  if (!system.note.empty()) choice.why += "; " + system.note;
  return choice;
}

}  // namespace

std::string readEnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

ProxyChoice proxyOfVariables(const std::string& host, const ReadVariable& read) {
  ProxyChoice choice;
  for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    const std::string value = read(name);
    if (value.empty()) continue;
    // TRANSLATORS: a variable a proxy came from, as the next two name where it came from.
    choice.source = formatMessage(translateInContext("proxy variable", "{0}"), {name});
    for (const char* noProxyName : {"no_proxy", "NO_PROXY"}) {
      const std::string noProxy = read(noProxyName);
      if (noProxy.empty()) continue;
      if (inNoProxyList(host, noProxy)) {
        choice.why = formatMessage(translate("{0} is in {1}"), {host, noProxyName});
        return choice;
      }
      break;
    }
    choice.url = value;
    return choice;
  }
  return choice;
}

ProxyChoice chooseProxy(const ServiceSettings& settings, const ReadVariable& read) {
  const Setting& setting = settings.proxy;
  const std::string host = bareHost(settings.host);
  ProxyChoice choice;
  if (setting.value == kDirectProxyWord) {
    // TRANSLATORS: where a proxy came from, after "from"; {0} is a file and line, or a key.
    choice.source = formatMessage(translate("the setting proxy in {0}"), {setting.origin});
    choice.why = formatMessage(translate("the setting proxy is direct in {0}"), {setting.origin});
    return choice;
  }
  if (!setting.value.empty() && setting.value != kSystemProxyWord) {
    choice.url = setting.value;
    choice.source = formatMessage(translate("the setting proxy in {0}"), {setting.origin});
    return choice;
  }
  // The variables' no_proxy reads the host as the address writes it, an IPv6 one in brackets.
  choice = proxyOfVariables(settings.host, read);
  if (!choice.source.empty()) return choice;
  return systemChoice(host, serviceBaseUrl(settings));
}

std::string proxyOfSystemList(const std::string& list) {
  std::string plain;
  for (const std::string& entry : entriesOf(list, "; \t")) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos) {
      if (plain.empty()) plain = entry;
    } else if (lowerCase(entry.substr(0, equals)) == "https" && equals + 1 < entry.size()) {
      return withScheme(entry.substr(equals + 1));
    }
  }
  return plain.empty() ? plain : withScheme(plain);
}

bool inBypassList(const std::string& host, const std::string& list) {
  const std::string name = lowerCase(bareHost(host));
  for (const std::string& entry : entriesOf(list, ";, \t\r\n")) {
    if (entry == "<local>") {
      if (name.find('.') == std::string::npos && name.find(':') == std::string::npos) return true;
    } else if (matchesWildcard(name, lowerCase(entry))) {
      return true;
    }
  }
  return false;
}

std::string describeProxyChoice(const ServiceSettings& settings, const ProxyChoice& choice) {
  const std::string address = serviceHostPort(settings);
  if (choice.url.empty()) {
    return formatMessage(translate("proxy for {0}: direct, as {1}"), {address, choice.why}) + "\n";
  }
  return formatMessage(translate("proxy for {0}: {1}, from {2}"),
                       {address, maskedProxy(choice.url), choice.source}) +
         "\n";
}
