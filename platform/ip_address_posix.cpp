#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/ip_address.h"

bool ipAddressBytes(const std::string& text, bool v6, std::vector<unsigned char>& bytes) {
  unsigned char parsed[16] = {};
  if (inet_pton(v6 ? AF_INET6 : AF_INET, text.c_str(), parsed) != 1) return false;
  bytes.assign(parsed, parsed + (v6 ? 16 : 4));
  return true;
}
