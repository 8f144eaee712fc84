#ifndef TIMETABLE_SERVICE_PROXY_URL_H_
#define TIMETABLE_SERVICE_PROXY_URL_H_

#include <string>

// Proxy URLs, read once and shown one way: a proxy's user and password are never shown,
// whatever characters they hold, so that settings, messages and the support log can name the
// proxy and still be sent to a help desk.

// The proxy setting's words besides an address: the system's proxy, as an empty setting means
// too, and none at all.
extern const char kSystemProxyWord[];  // "system"
extern const char kDirectProxyWord[];  // "direct"

// Whether value is http://[USER[:PASSWORD]@]HOST:PORT (a "/" may end it), the form the proxy
// setting takes; HOST as the service's address writes it.
bool isProxyAddress(const std::string& value);

// The URL with everything between its scheme (or its start) and its last "@" shown as ***:
// "http://***@proxy:3128". A URL without "@" is shown as it is.
std::string maskedProxy(const std::string& url);

// Whether the URL carries a user (and a password) to sign in with.
bool proxyHasUser(const std::string& url);

// The text with every proxy's user and password shown as ***: those of proxyUrl wherever they
// stand (as libcurl's own error texts quote the URL), and whatever stands before an "@" in any
// URL of the text.
std::string maskProxySecrets(const std::string& text, const std::string& proxyUrl);

#endif  // TIMETABLE_SERVICE_PROXY_URL_H_
