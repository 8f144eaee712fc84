#ifndef TIMETABLE_SERVICE_NO_PROXY_H_
#define TIMETABLE_SERVICE_NO_PROXY_H_

#include <string>

// Whether host (a name, a dotted IPv4 address or an IPv6 address in brackets) is in a no_proxy
// list, by libcurl's documented rules, so that what the program says is what a browser's
// neighbour, curl, would do:
// - "*" as the whole value stands for every host; in a list it stands for none;
// - entries are separated by commas, with blanks around them;
// - for a name, an entry matches it or a domain it is in, ignoring case; a leading dot of the
//   entry is optional, and a trailing dot of the entry or the name is ignored;
// - for an address, an entry is an address matched whole (never by its end), or a CIDR range
//   ADDRESS/BITS, IPv4 or IPv6.
bool inNoProxyList(const std::string& host, const std::string& list);

#endif  // TIMETABLE_SERVICE_NO_PROXY_H_
