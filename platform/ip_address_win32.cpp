#include <winsock2.h>
// ws2tcpip.h needs winsock2.h first.
#include <ws2tcpip.h>

#include "platform/ip_address.h"

bool ipAddressBytes(const std::string& text, bool v6, std::vector<unsigned char>& bytes) {
  unsigned char parsed[16] = {};
  if (inet_pton(v6 ? AF_INET6 : AF_INET, text.c_str(), parsed) != 1) return false;
  bytes.assign(parsed, parsed + (v6 ? 16 : 4));
  return true;
}
