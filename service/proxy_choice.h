#ifndef TIMETABLE_SERVICE_PROXY_CHOICE_H_
#define TIMETABLE_SERVICE_PROXY_CHOICE_H_

#include <functional>
#include <string>

#include "service/service_settings.h"

// The proxy the service's requests go through, the one the user's browser would use: the proxy
// setting's own when it names one ("direct" for none); else, as "system", the variables
// https_proxy, HTTPS_PROXY, all_proxy or ALL_PROXY with no_proxy, and without them the system's
// proxy settings (Windows').
// The choice is made once, here, and every consumer takes it as made: the requests give libcurl
// the proxy (or none) explicitly, never leaving it to read the variables by its own rules, and
// --settings, --check, the log and the messages say what the requests do.
struct ProxyChoice {
  std::string url;     // The proxy's address; empty for a direct connection.
  std::string source;  // Where the proxy, or the direct connection, came from.
  std::string why;     // For a direct connection: why, in the user's words.
};

// Reads a variable of the environment: empty when it is not set.
using ReadVariable = std::function<std::string(const char*)>;

// The process's own environment.
std::string readEnvironmentVariable(const char* name);

// The choice for the settings' service, with the variables that read gives; asks the system
// only when the setting is "system" and no variable is set.
ProxyChoice chooseProxy(const ServiceSettings& settings,
                        const ReadVariable& read = readEnvironmentVariable);

// The choice the variables give for host (as the address writes it), as libcurl documents them
// for an https address; an empty
// source when none of them is set.
ProxyChoice proxyOfVariables(const std::string& host, const ReadVariable& read);

// The proxy for https in the system's list ("host:port", or "https=host:port;http=...", the
// first of several), as a URL that libcurl takes; empty when the list has none for https.
std::string proxyOfSystemList(const std::string& list);

// Whether host is in a bypass list of entries separated by ';', ',' or blanks: "<local>" for
// names without a dot, others matched whole, ignoring case, '*' standing for any text.
bool inBypassList(const std::string& host, const std::string& list);

// The line that says what the proxy gives for the service's address, and where that came from.
std::string describeProxyChoice(const ServiceSettings& settings, const ProxyChoice& choice);

#endif  // TIMETABLE_SERVICE_PROXY_CHOICE_H_
