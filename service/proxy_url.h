#ifndef TIMETABLE_SERVICE_PROXY_URL_H_
#define TIMETABLE_SERVICE_PROXY_URL_H_

#include <string>

// The text with the user and password of the proxy URL, wherever they appear in it, and those of
// any other URL in it, shown as ***:*** (or *** for a user alone), whatever characters they hold.
std::string maskProxySecrets(const std::string& text, const std::string& proxyUrl);

#endif  // TIMETABLE_SERVICE_PROXY_URL_H_
