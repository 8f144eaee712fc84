#include "service/no_proxy.h"

#include <optional>
#include <vector>

#include "platform/ip_address.h"
#include "platform/text_case.h"

namespace {

using Address = std::vector<unsigned char>;  // 4 bytes for IPv4, 16 for IPv6.

// The address when text is one of the kind, as the system reads it.
std::optional<Address> addressOf(const std::string& text, bool v6) {
  Address address;
  if (!ipAddressBytes(text, v6, address)) return std::nullopt;
  return address;
}

// Whether the first bits of the two addresses are the same; all of them for bits 0.
bool sameNetwork(const Address& host, const Address& network, size_t bits) {
  if (host.size() != network.size() || bits > host.size() * 8) return false;
  if (bits == 0) bits = host.size() * 8;
  for (size_t i = 0; i < host.size() && bits > 0; ++i, bits -= bits < 8 ? bits : 8) {
    const unsigned mask = bits >= 8 ? 0xffu : (0xffu << (8 - bits)) & 0xffu;
    if (((host[i] ^ network[i]) & mask) != 0) return false;
  }
  return true;
}

bool matchesAddress(const Address& host, bool v6, const std::string& entry) {
  const size_t slash = entry.find('/');
  size_t bits = 0;
  if (slash != std::string::npos) {
    const std::string digits = entry.substr(slash + 1);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    bits = static_cast<size_t>(std::stoul(digits));
  }
  const std::string written = entry.substr(0, slash);
  const std::optional<Address> network = addressOf(written, v6);
  return network && sameNetwork(host, *network, bits);
}

// A name and an entry, both without a trailing dot, the entry without its leading one.
bool matchesName(const std::string& name, std::string entry) {
  if (!entry.empty() && entry.back() == '.') entry.pop_back();
  if (!entry.empty() && entry.front() == '.') entry.erase(0, 1);
  if (entry.empty()) return false;
  if (entry.size() == name.size()) return sameIgnoringCase(entry, name);
  return entry.size() < name.size() && name[name.size() - entry.size() - 1] == '.' &&
         sameIgnoringCase(entry, name.substr(name.size() - entry.size()));
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool inNoProxyList(const std::string& host, const std::string& list) {
  if (list == "*") return true;
  std::optional<Address> address;
  bool v6 = false;
  std::string name = host;
  if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
    address = addressOf(host.substr(1, host.size() - 2), true);
    v6 = true;
  } else {
    address = addressOf(host, false);
    if (!address && !name.empty() && name.back() == '.') name.pop_back();
  }
  if (v6 && !address) return false;
  size_t at = 0;
  while (at < list.size()) {
    while (at < list.size() && isBlank(list[at])) ++at;
    size_t end = at;
    while (end < list.size() && !isBlank(list[end]) && list[end] != ',') ++end;
    const std::string entry = list.substr(at, end - at);
    if (!entry.empty() &&
        (address ? matchesAddress(*address, v6, entry) : matchesName(name, entry))) {
      return true;
    }
    at = end;
    while (at < list.size() && isBlank(list[at])) ++at;
    // As libcurl, the list ends at what is neither a blank nor a comma after an entry.
    if (at < list.size() && list[at] != ',') break;
    while (at < list.size() && list[at] == ',') ++at;
  }
  return false;
}
