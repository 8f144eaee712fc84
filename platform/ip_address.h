#ifndef TIMETABLE_PLATFORM_IP_ADDRESS_H_
#define TIMETABLE_PLATFORM_IP_ADDRESS_H_

#include <string>
#include <vector>

// The bytes of an IP address as the system's own parser (inet_pton) reads it: 4 for a dotted
// IPv4 address (no other spelling of one), 16 for an IPv6 address without brackets. False when
// text is not one of that kind.
bool ipAddressBytes(const std::string& text, bool v6, std::vector<unsigned char>& bytes);

#endif  // TIMETABLE_PLATFORM_IP_ADDRESS_H_
