#ifndef TIMETABLE_SERVICE_SERVICE_ADDRESS_H_
#define TIMETABLE_SERVICE_SERVICE_ADDRESS_H_

#include <string>

// The built-in service: the host chosen when the program was built, and the service's port, the
// one place that says it (--help, the settings and the messages take it from here).
extern const char* const kBuiltInServiceHost;
extern const int kDefaultServicePort;

// Reads HOST[:PORT] into host and port (kDefaultServicePort when none is given). Returns why it
// cannot, such as "is not a host name or IP address", or an empty text. A host is an IPv6
// address in brackets, a dotted IPv4 address or a DNS name, each in its usual form only.
std::string readServiceAddress(const std::string& text, std::string& host, int& port);

// Whether text is an IPv4 address in its usual form: four numbers from 0 to 255, without
// leading zeros, separated by dots.
bool isDottedQuad(const std::string& text);

#endif  // TIMETABLE_SERVICE_SERVICE_ADDRESS_H_
