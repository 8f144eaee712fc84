#include "service/no_proxy.h"

#include <array>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/text_case.h"
#include "service/service_address.h"

namespace {

using Address = std::vector<unsigned char>;  // 4 bytes for IPv4, 16 for IPv6.

std::optional<Address> ipv4Of(const std::string& text) {
  if (!isDottedQuad(text)) return std::nullopt;
  Address address;
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t end = text.find('.', start);
    address.push_back(static_cast<unsigned char>(std::stoi(text.substr(start, end - start))));
    start = end + 1;
  }
  return address;
}

// An IPv6 address of up to eight groups of hexadecimal digits, one "::" standing for the groups
// left out, the last two groups possibly written as an IPv4 address.
std::optional<Address> ipv6Of(const std::string& text) {
  std::vector<unsigned> before;
  std::vector<unsigned> after;
  std::vector<unsigned>* groups = &before;
  bool gap = false;
  size_t at = 0;
  if (text.compare(0, 2, "::") == 0) {
    gap = true;
    groups = &after;
    at = 2;
  }
  while (at < text.size()) {
    size_t end = text.find(':', at);
    if (end == std::string::npos) end = text.size();
    const std::string group = text.substr(at, end - at);
    if (end == text.size() && group.find('.') != std::string::npos) {
      const std::optional<Address> v4 = ipv4Of(group);
      if (!v4) return std::nullopt;
      groups->push_back(static_cast<unsigned>((*v4)[0] << 8 | (*v4)[1]));
      groups->push_back(static_cast<unsigned>((*v4)[2] << 8 | (*v4)[3]));
    } else {
      if (group.empty() || group.size() > 4 ||
          group.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return std::nullopt;
      }
      groups->push_back(static_cast<unsigned>(std::strtoul(group.c_str(), nullptr, 16)));
    }
    if (end == text.size()) break;
    at = end + 1;
    if (text.compare(at, 1, ":") == 0) {
      if (gap) return std::nullopt;
      gap = true;
      groups = &after;
      ++at;
      if (at == text.size()) break;
    } else if (at == text.size()) {
      return std::nullopt;
    }
  }
  const size_t count = before.size() + after.size();
  if (gap ? count > 7 : count != 8) return std::nullopt;
  before.resize(8 - after.size(), 0);
  before.insert(before.end(), after.begin(), after.end());
  Address address;
  for (unsigned group : before) {
    address.push_back(static_cast<unsigned char>(group >> 8));
    address.push_back(static_cast<unsigned char>(group & 0xff));
  }
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
  const std::optional<Address> network = v6 ? ipv6Of(written) : ipv4Of(written);
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
    address = ipv6Of(host.substr(1, host.size() - 2));
    v6 = true;
  } else {
    address = ipv4Of(host);
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
