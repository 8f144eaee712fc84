#include "service/proxy_url.h"

namespace {

// The user and password of a URL: from after "://" (or the start) to its last '@', as a password
// may hold '/' or '@'; empty when it has none.
std::string userInfoOf(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t at = url.rfind('@');
  if (at == std::string::npos || at < start) return std::string();
  return url.substr(start, at - start);
}

std::string maskedUserInfo(const std::string& userInfo) {
  return userInfo.find(':') == std::string::npos ? "***" : "***:***";
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

bool endsUserInfo(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\'' || c == '"'; }

}  // namespace

std::string maskProxySecrets(const std::string& text, const std::string& proxyUrl) {
  std::string masked = text;
  const std::string userInfo = userInfoOf(proxyUrl);
  if (!userInfo.empty()) {
    replaceAll(masked, userInfo + "@", maskedUserInfo(userInfo) + "@");
    const size_t colon = userInfo.find(':');
    // The password alone, as some messages quote it, when it is long enough not to be a word.
    if (colon != std::string::npos && userInfo.size() - colon - 1 >= 4) {
      replaceAll(masked, userInfo.substr(colon + 1), "***");
    }
  }
  // Any other URL's: from "://" to the last '@' before the next blank or quote.
  for (size_t scheme = masked.find("://"); scheme != std::string::npos;
       scheme = masked.find("://", scheme + 3)) {
    const size_t start = scheme + 3;
    size_t end = start;
    while (end < masked.size() && !endsUserInfo(masked[end])) ++end;
    const size_t at = masked.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string::npos || at < start) continue;
    const std::string info = masked.substr(start, at - start);
    if (info == "***" || info == "***:***") continue;
    masked.replace(start, at - start, maskedUserInfo(info));
  }
  return masked;
}
