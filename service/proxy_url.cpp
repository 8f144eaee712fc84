#include "service/proxy_url.h"

#include "platform/text_case.h"
#include "service/service_address.h"
#include "service/url_parts.h"

const char kSystemProxyWord[] = "system";
const char kDirectProxyWord[] = "direct";

namespace {

const std::string kMask = "***";

// Where the user and password of url may begin: after the scheme's "://", or at the start.
size_t userStart(const std::string& url) {
  const size_t scheme = url.find("://");
  return scheme == std::string::npos ? 0 : scheme + 3;
}

// The user and password of url as written (percent-encoded), up to its last "@"; empty when it
// has none. The last "@", since a password may hold "@" or "/" and then stop a URL parser early.
std::string userInfoOf(const std::string& url) {
  const size_t start = userStart(url);
  const size_t at = url.rfind('@');
  return at == std::string::npos || at < start ? std::string() : url.substr(start, at - start);
}

void replaceAll(std::string& text, const std::string& secret) {
  if (secret.empty()) return;
  for (size_t at = text.find(secret); at != std::string::npos;
       at = text.find(secret, at + kMask.size())) {
    text.replace(at, secret.size(), kMask);
  }
}

// A URL in a text ends at a blank or a quote, as libcurl and the messages quote them.
bool endsUrl(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\'' || c == '"' || c == '`' ||
         c == '<' || c == '>' || c == '(' || c == ')';
}

// A password this short would mask every such letter of a text; it is masked within its URL.
const size_t kShortestMaskedAlone = 3;

}  // namespace

bool isProxyAddress(const std::string& value) {
  const std::string scheme = "http://";
  if (value.compare(0, scheme.size(), scheme) != 0) return false;
  // The host and port, as the service's address writes them, after the user if any, and before
  // a closing "/". A port must be given, as proxies have no usual one.
  const std::string userInfo = userInfoOf(value);
  const size_t hostStart = scheme.size() + (userInfo.empty() ? 0 : userInfo.size() + 1);
  std::string hostPort = value.substr(hostStart);
  if (!hostPort.empty() && hostPort.back() == '/') hostPort.pop_back();
  const size_t bracket = hostPort.rfind(']');
  std::string host;
  int port = 0;
  if (hostPort.find(':', bracket == std::string::npos ? 0 : bracket) == std::string::npos ||
      !readServiceAddress(hostPort, host, port).empty()) {
    return false;
  }
  // libcurl must read the same host: a "/" in an unencoded password makes it read another.
  CURLUcode code = CURLUE_OK;
  const ParsedUrl url = parseUrl(value, code);
  return url && hasNoPath(url) && sameIgnoringCase(urlPart(url, CURLUPART_HOST), host);
}

std::string maskedProxy(const std::string& url) {
  const std::string userInfo = userInfoOf(url);
  if (userInfo.empty() && url.find('@', userStart(url)) == std::string::npos) return url;
  const size_t start = userStart(url);
  return url.substr(0, start) + kMask + url.substr(start + userInfo.size());
}

bool proxyHasUser(const std::string& url) {
  return url.find('@', userStart(url)) != std::string::npos;
}

std::string maskProxySecrets(const std::string& text, const std::string& proxyUrl) {
  std::string masked = text;
  const std::string userInfo = userInfoOf(proxyUrl);
  if (!userInfo.empty()) {
    replaceAll(masked, userInfo);
    replaceAll(masked, urlDecoded(userInfo));
    const size_t colon = userInfo.find(':');
    if (colon != std::string::npos) {
      for (const std::string& password :
           {userInfo.substr(colon + 1), urlDecoded(userInfo.substr(colon + 1))}) {
        if (password.size() >= kShortestMaskedAlone) replaceAll(masked, password);
      }
    }
  }
  // Any other URL's user and password: whatever stands between "://" and the URL's last "@".
  for (size_t scheme = masked.find("://"); scheme != std::string::npos;
       scheme = masked.find("://", scheme + 3)) {
    const size_t start = scheme + 3;
    size_t end = start;
    while (end < masked.size() && !endsUrl(masked[end])) ++end;
    const size_t at = masked.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string::npos || at < start || masked.compare(start, at - start, kMask) == 0) {
      continue;
    }
    masked.replace(start, at - start, kMask);
  }
  return masked;
}
