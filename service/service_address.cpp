#include "service/service_address.h"

#include "platform/text_case.h"
#include "platform/translation.h"
#include "service/url_parts.h"

const char* const kBuiltInServiceHost = TIMETABLE_SERVICE_HOST;
const int kDefaultServicePort = 9640;

namespace {

bool allDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Labels of letters, digits and inner hyphens, 63 characters at most, 253 in all, the last not
// a number: libcurl takes more (underscores, empty labels), which no resolver finds.
bool isDnsName(const std::string& text) {
  if (text.empty() || text.size() > 253) return false;
  std::string label;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    label = text.substr(start, end - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
        label.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") !=
            std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return !allDigits(label);
}

// Whether the URL's host, as libcurl read it, is the host as written, in its usual form: an
// IPv6 address in brackets (which libcurl checks), a dotted IPv4 address or a DNS name.
// libcurl rewrites the other forms of an IPv4 address into the dotted one, so those differ.
bool isUsualHost(const ParsedUrl& url, const std::string& written) {
  const std::string host = urlPart(url, CURLUPART_HOST);
  if (!written.empty() && written[0] == '[') return !host.empty() && host[0] == '[';
  return sameIgnoringCase(host, written) && (isDottedQuad(written) || isDnsName(written));
}

// The port of the URL, 1 to 65535, or 0 when it is outside; fallback when none was written.
int portOf(const ParsedUrl& url, int fallback) {
  const std::string port = urlPart(url, CURLUPART_PORT);
  if (port.empty()) return fallback;
  if (!allDigits(port) || port.size() > 5) return 0;
  const int number = std::stoi(port);
  return number <= 65535 ? number : 0;
}

}  // namespace

// The usual form, and no other that a resolver would also take (127.1, 0x7f000001, 010.0.0.1).
bool isDottedQuad(const std::string& text) {
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t end = part < 3 ? text.find('.', start) : text.size();
    if (end == std::string::npos) return false;
    const std::string number = text.substr(start, end - start);
    if (!allDigits(number) || number.size() > 3 || (number.size() > 1 && number[0] == '0') ||
        std::stoi(number) > 255) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::string readServiceAddress(const std::string& text, std::string& host, int& port) {
  const std::string notHost = translate("is not a host name or IP address");
  const std::string badPort = translate("has a port outside 1 to 65535");
  // The host ends at its closing bracket, or else at the first colon; a port may follow.
  const bool bracketed = !text.empty() && text[0] == '[';
  const size_t hostEnd = bracketed ? text.find(']') + 1 : text.find(':');
  if ((bracketed && hostEnd == 0) || text.find_first_of("/?#@%\\") != std::string::npos) {
    return notHost;
  }
  const std::string written = text.substr(0, hostEnd);
  const std::string portText = hostEnd < text.size() ? text.substr(hostEnd + 1) : "";
  if (hostEnd < text.size() && (text[hostEnd] != ':' || !allDigits(portText))) return notHost;
  CURLUcode code = CURLUE_OK;
  const ParsedUrl url = parseUrl("https://" + text, code);
  if (code == CURLUE_BAD_PORT_NUMBER) return badPort;
  if (!url || !isUsualHost(url, written) || !hasNoPath(url)) return notHost;
  const int number = portOf(url, kDefaultServicePort);
  if (number < 1) return badPort;
  host = written;
  port = number;
  return std::string();
}
