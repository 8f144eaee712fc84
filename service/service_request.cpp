#include "service/service_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "platform/start_menu.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/proxy_choice.h"

const char* const kServiceUserAgent = "VELMORAX/1.0.0";
const size_t kMaxAnswerBytes = 16 * 1024 * 1024;
const size_t kMaxTimetableAnswerBytes = 4 * 1024 * 1024;
const int kMaxAnswerDepth = 32;

size_t appendToBody(char* data, size_t size, size_t count, void* body) {
  size_t bytes = size * count;
  try {
    static_cast<std::string*>(body)->append(data, bytes);
  } catch (const std::bad_alloc&) {
    return 0;  // libcurl then ends the transfer with a write error, which is reported.
  }
  return bytes;
}

// Why the server's certificate was refused. OpenSSL tells its own number (X509_V_ERR_*: 9 not
// yet valid, 10 expired, 62 another name); curl checks the name itself, which OpenSSL then
// passed, and Schannel tells nothing but its text, so the text is the last resort.
CertificateFault certificateFaultOf(long verifyResult, const std::string& reason) {
  if (verifyResult == 9 || verifyResult == 10 ||
      reason.find("CERT_TRUST_IS_NOT_TIME_VALID") != std::string::npos) {
    return CertificateFault::kExpired;
  }
  if (verifyResult == 62 || reason.find("subject name") != std::string::npos ||
      reason.find("match connection hostname") != std::string::npos ||
      reason.find("does not match target host name") != std::string::npos) {
    return CertificateFault::kOtherName;
  }
  return CertificateFault::kNotTrusted;
}

namespace {

// Without these a service that accepts the connection but never answers would hold the run
// forever.
const long kConnectTimeoutSeconds = 10;
const long kRequestTimeoutSeconds = 30;
// The service's contract asks for a redirection limit of 50, although redirections are not
// followed (CURLOPT_FOLLOWLOCATION stays off): a redirection's own body is what gets decoded.
const long kMaxRedirections = 50;

// The room a body without an announced length gets first.
const size_t kFirstRoom = 16 * 1024;
constexpr bool reachedByDoubling(size_t limit) {
  return (limit & (limit - 1)) == 0 && limit > kFirstRoom;
}
static_assert(reachedByDoubling(kMaxAnswerBytes) && reachedByDoubling(kMaxTimetableAnswerBytes),
              "doubling the first room reaches each limit exactly");

// The run's settings and its one transfer handle, made by the first request. Between requests it
// keeps the open connection and the TLS session. libcurl may write to the error text until the
// handle is released, so the text lives beside it rather than on a request's stack.
struct RequestSession {
  ServiceSettings settings;
  ProxyChoice proxy;
  std::string baseUrl;  // Empty until the settings are given.
  CURL* handle = nullptr;
  char errorText[CURL_ERROR_SIZE] = "";
  // The limit of the request under way, and whether the write callback found the body would
  // grow past it.
  size_t maxBytes = kMaxAnswerBytes;
  bool answerTooLarge = false;
  // libcurl's own words for the last failure, for the support log and --check: the messages
  // give a translated cause instead.
  std::string lastDetail;
};

RequestSession session;

// The error of an answer that arrived but cannot be used; detail says what is wrong with it and
// names the request.
std::runtime_error unusableAnswerError(const std::string& detail) {
  return std::runtime_error(
      formatMessage(translate("the timetable service sent an answer that cannot be read; try again "
                              "later, or ask the IT department to check the service: {0}"),
                    {detail}));
}

template <typename Value>
void setOption(CURL* handle, CURLoption option, Value value) {
  CURLcode code = curl_easy_setopt(handle, option, value);
  if (code != CURLE_OK) {
    throw std::runtime_error(
        formatMessage(translate("cannot prepare the request to the timetable "
                                "service; report this to the IT department: {0}"),
                      {curl_easy_strerror(code)}));
  }
}

// The session's handle with every option back at its default; the connection stays open.
CURL* sessionHandle() {
  if (session.handle == nullptr) {
    session.handle = curl_easy_init();
    if (session.handle == nullptr) {
      throw std::runtime_error(
          formatMessage(translate("cannot prepare the request to the timetable "
                                  "service; report this to the IT department: {0}"),
                        {"no transfer handle"}));
    }
  }
  curl_easy_reset(session.handle);
  session.errorText[0] = '\0';
  session.answerTooLarge = false;
  return session.handle;
}

void reserveRoom(std::string& body, size_t room) {
  try {
    body.reserve(room);
  } catch (const std::bad_alloc&) {
    // appendToBody then tries for exactly the room it needs.
  }
}

// The write callback of the session's requests. At the first bytes it makes room for the whole
// body when the answer announced its length (libcurl has refused a length over the limit), so
// that a long list is not copied again at each growth of the body. Without a length the room
// doubles from kFirstRoom up to the limit, a power of two itself: the last growth copies half
// the limit, so the old and the new room never hold more than the limit together. The transfer
// ends as soon as the body would grow past the limit.
size_t appendToSessionBody(char* data, size_t size, size_t count, void* body) {
  auto* text = static_cast<std::string*>(body);
  const size_t bytes = size * count;
  if (bytes > session.maxBytes - text->size()) {
    session.answerTooLarge = true;
    return 0;  // libcurl ends the transfer with a write error.
  }
  curl_off_t length = -1;
  if (text->empty() &&
      curl_easy_getinfo(session.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      length > 0 && length <= static_cast<curl_off_t>(session.maxBytes)) {
    reserveRoom(*text, static_cast<size_t>(length));
  }
  const size_t needed = text->size() + bytes;
  if (needed > text->capacity()) {
    size_t room = kFirstRoom;
    while (room < needed) room *= 2;
    reserveRoom(*text, std::min(room, session.maxBytes));
  }
  return appendToBody(data, size, count, body);
}

// The trust of the settings. Verification stays on whatever it is: a named bundle replaces
// libcurl's default one; the system's store is that default on Linux, and with Schannel on
// Windows, Windows' own verification. A revocation server that cannot be reached is no failure,
// as many sites' networks cannot reach one; a revoked certificate still is.
void setTrustOptions(CURL* h) {
  const Trust& trust = session.settings.trust;
  if (trust.kind != TrustKind::kSystemStore) {
    setOption(h, CURLOPT_CAINFO, trust.file.c_str());
    // Only the bundle's authorities count: without this, OpenSSL would also take those of the
    // system's folder (/etc/ssl/certs). A TLS library without such a folder, as Schannel,
    // refuses the option, and has nothing to clear.
    const CURLcode code = curl_easy_setopt(h, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    if (code != CURLE_OK && code != CURLE_NOT_BUILT_IN && code != CURLE_UNKNOWN_OPTION) {
      setOption(h, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
  }
  setOption(h, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
}

// The proxy of the run's choice. A proxy that asks for sign-in gets the logged-in user's own
// (Negotiate or NTLM through SSPI on Windows, GSS-API elsewhere, with the empty user ":"), and
// Basic only with the user and password its URL carries, which are never sent unasked.
void setProxyOptions(CURL* h) {
  const ProxyChoice& proxy = session.proxy;
  if (!proxy.fromVariables) {
    setOption(h, CURLOPT_PROXY, proxy.url.c_str());
    // No variable's no_proxy undoes the choice: "*" is direct whatever the variables say.
    setOption(h, CURLOPT_NOPROXY, proxy.url.empty() ? "*" : "");
  }
  if (proxy.url.empty()) return;
  unsigned long methods = CURLAUTH_NEGOTIATE | CURLAUTH_NTLM;
  if (proxyHasUser(proxy.url)) {
    methods |= CURLAUTH_BASIC;
  } else {
    setOption(h, CURLOPT_PROXYUSERPWD, ":");
  }
  setOption(h, CURLOPT_PROXYAUTH, methods);
}

// libcurl's defaults stand for everything not set here: no progress meter, no diagnostic
// output, peer and host name verified.
void setRequestOptions(CURL* h, const std::string& url, std::string& body) {
  setOption(h, CURLOPT_URL, url.c_str());
  // The service's contract: an empty user name and password go with every request.
  setOption(h, CURLOPT_USERPWD, "");
  setOption(h, CURLOPT_USERAGENT, kServiceUserAgent);
  setOption(h, CURLOPT_MAXREDIRS, kMaxRedirections);
  setOption(h, CURLOPT_WRITEFUNCTION, appendToSessionBody);
  setOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&body));
  // Refuses an answer that announces a longer body before any of it arrives.
  setOption(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(session.maxBytes));
  setTrustOptions(h);
  setProxyOptions(h);
  setOption(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setOption(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  setOption(h, CURLOPT_ERRORBUFFER, session.errorText);
}

// What the advice points to for the settings, as the user can take it: the Start-menu entry
// that shows them, or the option. A parenthesis of its own, so that it stands in any sentence.
enum class Shown { kTrust, kAddress, kIt };

std::string settingsHint(Shown what) {
  if (startedFromMenu()) {
    return translate(
        "(\"Check the connection\" in the Start menu shows the settings and tests the "
        "connection)");
  }
  switch (what) {
    case Shown::kTrust:
      return translate("(timetable-print --settings shows the trust)");
    case Shown::kAddress:
      return translate("(timetable-print --settings)");
    case Shown::kIt:
      break;
  }
  return translate("(timetable-print --settings shows it)");
}

long transferInfo(CURLINFO info) {
  long value = 0;
  curl_easy_getinfo(session.handle, info, &value);
  return value;
}

// The sign-in methods of a CURLAUTH_ set, as proxies name them.
std::string signInMethodNames(long methods) {
  const std::pair<unsigned long, const char*> known[] = {{CURLAUTH_NEGOTIATE, "Negotiate"},
                                                         {CURLAUTH_NTLM, "NTLM"},
                                                         {CURLAUTH_DIGEST, "Digest"},
                                                         {CURLAUTH_BASIC, "Basic"}};
  std::string names;
  for (const auto& [bit, name] : known) {
    if ((static_cast<unsigned long>(methods) & bit) == 0) continue;
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names.empty() ? translate("none") : names;
}

// The proxy in use as messages name it: its address, without a password, and where it came from.
std::string proxyName() {
  return formatMessage(translate("{0} (from {1})"),
                       {proxyForDisplay(session.proxy.url), session.proxy.source});
}

// The error of a failure that is the proxy's, or none. Through a proxy, libcurl connects to the
// proxy alone, so a connection that failed is the proxy's; a tunnel the proxy did not open left
// the status of its answer to CONNECT.
std::optional<std::runtime_error> proxyError(CURLcode code, const std::string& url) {
  if (code == CURLE_COULDNT_RESOLVE_PROXY) {
    return std::runtime_error(formatMessage(
        translate("cannot find the proxy {0}: its name is not known on the network; check the "
                  "proxy setting, or ask the IT department which proxy to use {1}: {2}"),
        {proxyName(), settingsHint(Shown::kIt), url}));
  }
  if (session.proxy.url.empty()) return std::nullopt;
  if (code == CURLE_COULDNT_CONNECT) {
    return std::runtime_error(formatMessage(
        translate("cannot reach the proxy {0}: it refused the connection or cannot be reached; "
                  "check the network connection, or ask the IT department which proxy to use "
                  "{1}: {2}"),
        {proxyName(), settingsHint(Shown::kIt), url}));
  }
  const long connectStatus = transferInfo(CURLINFO_HTTP_CONNECTCODE);
  if (connectStatus == 407) {
    return std::runtime_error(formatMessage(
        translate("the proxy {0} did not let this user through: it asks for sign-in by {1}, and "
                  "the sign-in as the logged-in user was refused; ask the IT department to give "
                  "this user access through the proxy: {2}"),
        {proxyName(), signInMethodNames(transferInfo(CURLINFO_PROXYAUTH_AVAIL)), url}));
  }
  if (connectStatus != 0 && (connectStatus < 200 || connectStatus > 299)) {
    return std::runtime_error(formatMessage(
        translate("the proxy {0} refused to open a connection to {1} (status {2}); ask the IT "
                  "department to let the proxy reach that address: {3}"),
        {proxyName(), serviceHostPort(session.settings), std::to_string(connectStatus), url}));
  }
  return std::nullopt;
}

std::runtime_error certificateError(const std::string& reason, const std::string& url) {
  const ServiceSettings& settings = session.settings;
  switch (certificateFaultOf(transferInfo(CURLINFO_SSL_VERIFYRESULT), reason)) {
    case CertificateFault::kExpired:
      return std::runtime_error(formatMessage(
          translate("the certificate of {0} has expired or is not valid yet; check the date and "
                    "time of this computer, or ask the IT department to renew the service's "
                    "certificate: {1}"),
          {settings.host, url}));
    case CertificateFault::kOtherName:
      return std::runtime_error(formatMessage(
          translate("the certificate of {0} was issued for another name; ask the IT department "
                    "to check the service address {1} and the service's certificate: {2}"),
          {settings.host, settingsHint(Shown::kIt), url}));
    case CertificateFault::kNotTrusted:
      break;
  }
  return std::runtime_error(formatMessage(
      translate("the certificate of {0} is not trusted by {1}; ask the IT department which "
                "certificate authority to trust {2}: {3}"),
      {settings.host, settings.trust.name, settingsHint(Shown::kTrust), url}));
}

// The cause of a failed transfer in the user's words; libcurl's own for the rare rest.
std::string transferCause(CURLcode code, const std::string& reason) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return translate("the server's name is not known on the network");
    case CURLE_COULDNT_CONNECT:
      return translate("the server refused the connection or cannot be reached");
    case CURLE_OPERATION_TIMEDOUT:
      return translate("the connection timed out, as no answer came in time");
    case CURLE_SSL_CONNECT_ERROR:
      return translate("the secure connection (TLS) could not be set up");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return translate("the connection broke off");
    case CURLE_GOT_NOTHING:
      return translate("the server closed the connection without an answer");
    case CURLE_OUT_OF_MEMORY:
    case CURLE_WRITE_ERROR:
      return translate("there is not enough memory for the answer");
    default:
      return reason;
  }
}

// The error of a failed transfer, with the address tried last; libcurl's own words are kept
// for lastTransferDetail. A certificate that the trust does not vouch for, or a trust that
// cannot be used, names the trust, so that the user knows where to add the service's authority;
// a failure of the proxy names the proxy and where it came from.
std::runtime_error transferError(CURLcode code, const std::string& url) {
  const std::string reason =
      session.errorText[0] != '\0' ? session.errorText : curl_easy_strerror(code);
  session.lastDetail = reason + " (curl " + std::to_string(static_cast<int>(code)) + ")";
  const ServiceSettings& settings = session.settings;
  if (std::optional<std::runtime_error> proxyFault = proxyError(code, url)) return *proxyFault;
  if (code == CURLE_PEER_FAILED_VERIFICATION) return certificateError(reason, url);
  if (code == CURLE_SSL_CACERT_BADFILE) {
    return std::runtime_error(formatMessage(
        translate("the certificate of {0} cannot be checked, as {1} cannot be used; ask the IT "
                  "department for a valid bundle {2}: {3}"),
        {settings.host, settings.trust.name, settingsHint(Shown::kTrust), url}));
  }
  return std::runtime_error(formatMessage(
      translate("cannot reach the timetable service at {0}; check the network connection, or ask "
                "the IT department to check the service address {1}: {2}"),
      {serviceHostPort(settings), settingsHint(Shown::kAddress),
       transferCause(code, reason) + " (" + url + ")"}));
}

}  // namespace

void startServiceRequests(const ServiceSettings& settings) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  session.settings = settings;
  session.baseUrl = serviceBaseUrl(settings);
  session.proxy = chooseProxy(settings);
}

const ProxyChoice& serviceProxy() { return session.proxy; }

std::string lastTransferDetail() { return session.lastDetail; }

void endServiceRequests() {
  if (session.handle != nullptr) curl_easy_cleanup(session.handle);
  session.handle = nullptr;
  curl_global_cleanup();
}

namespace {

// One line of the support log for each request: what was asked, and what came of it. Never the
// answer itself, which may be long and is the service's, only its size.
void logRequest(CURL* h, const std::string& url, CURLcode code, size_t bodyBytes) {
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  curl_off_t microseconds = 0;
  curl_easy_getinfo(h, CURLINFO_TOTAL_TIME_T, &microseconds);
  std::string line = "request " + url + ": HTTP status " + std::to_string(status) + ", " +
                     std::to_string(bodyBytes) + " bytes, " + std::to_string(microseconds / 1000) +
                     " ms";
  if (code != CURLE_OK) {
    line += ", failed: " + std::string(session.errorText[0] != '\0' ? session.errorText
                                                                    : curl_easy_strerror(code));
  }
  logLine(line);
}

ConnectionStage stageOf(CURLcode code) {
  if (code == CURLE_COULDNT_RESOLVE_HOST) return ConnectionStage::kName;
  const long connectStatus = transferInfo(CURLINFO_HTTP_CONNECTCODE);
  if (code == CURLE_COULDNT_RESOLVE_PROXY ||
      (connectStatus != 0 && (connectStatus < 200 || connectStatus > 299)) ||
      (code == CURLE_COULDNT_CONNECT && !session.proxy.url.empty())) {
    return ConnectionStage::kProxy;
  }
  if (code == CURLE_SSL_CONNECT_ERROR || code == CURLE_PEER_FAILED_VERIFICATION ||
      code == CURLE_SSL_CACERT_BADFILE || code == CURLE_SSL_CERTPROBLEM) {
    return ConnectionStage::kTls;
  }
  return ConnectionStage::kConnection;
}

long milliseconds(CURLINFO info) {
  curl_off_t microseconds = 0;
  curl_easy_getinfo(session.handle, info, &microseconds);
  return static_cast<long>(microseconds / 1000);
}

// The first certificate's fields, named as libcurl names them ("Subject:...").
void takeCertificate(ConnectionFacts& facts) {
  curl_certinfo* info = nullptr;
  if (curl_easy_getinfo(session.handle, CURLINFO_CERTINFO, &info) != CURLE_OK || info == nullptr ||
      info->num_of_certs < 1) {
    return;
  }
  const std::pair<const char*, std::string*> fields[] = {
      {"Subject:", &facts.subject}, {"Issuer:", &facts.issuer}, {"Expire date:", &facts.expiry}};
  for (curl_slist* item = info->certinfo[0]; item != nullptr; item = item->next) {
    const std::string text = item->data;
    for (const auto& [name, value] : fields) {
      if (text.rfind(name, 0) == 0) *value = text.substr(std::string(name).size());
    }
  }
}

}  // namespace

ConnectionFacts checkServiceConnection() {
  if (session.baseUrl.empty()) throw std::logic_error("a request before the service's settings");
  ConnectionFacts facts;
  std::string body;
  CURL* h = sessionHandle();
  session.maxBytes = kMaxAnswerBytes;
  setRequestOptions(h, session.baseUrl, body);
  setOption(h, CURLOPT_CONNECT_ONLY, 1L);
  setOption(h, CURLOPT_CERTINFO, 1L);
  const CURLcode code = curl_easy_perform(h);
  char* address = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address != nullptr) {
    facts.address = address;
  }
  facts.port = transferInfo(CURLINFO_PRIMARY_PORT);
  facts.connectMilliseconds = milliseconds(CURLINFO_CONNECT_TIME_T);
  facts.tlsMilliseconds = milliseconds(CURLINFO_APPCONNECT_TIME_T);
  if (code != CURLE_OK) {
    facts.failedAt = stageOf(code);
    facts.error = transferError(code, session.baseUrl).what();
    return facts;
  }
  takeCertificate(facts);
  return facts;
}

ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes) {
  if (session.baseUrl.empty()) throw std::logic_error("a request before the service's settings");
  ServiceAnswer answer;
  answer.url = session.baseUrl + query;
  CURL* h = sessionHandle();
  session.maxBytes = maxBytes;
  setRequestOptions(h, answer.url, answer.body);
  CURLcode code = curl_easy_perform(h);
  logRequest(h, answer.url, code, answer.body.size());
  if (code == CURLE_FILESIZE_EXCEEDED || session.answerTooLarge) {
    throw std::length_error(formatMessage(
        translate("the timetable service sent an answer larger than {0} MB; ask the IT "
                  "department to check the service: {1}"),
        {std::to_string(maxBytes / (1024 * 1024)), answer.url}));
  }
  if (code != CURLE_OK) throw transferError(code, answer.url);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &answer.httpStatus);
  return answer;
}

std::runtime_error undecodableAnswerError(const std::string& body, long httpStatus,
                                          const std::string& url) {
  // The details are the user's language too: they follow a sentence in it.
  // TRANSLATORS: what the timetable service's answer was, in a list of details.
  std::string what = body.empty() ? translate("empty") : translate("not JSON");
  if (httpStatus < 200 || httpStatus > 299) {
    what += ", " + formatMessage(translate("HTTP status {0}"), {std::to_string(httpStatus)});
  }
  return unusableAnswerError(what + ", " + url);
}

std::runtime_error answerNotAnObjectError(const std::string& url) {
  return unusableAnswerError(std::string(translate("JSON that is not an object")) + ", " + url);
}

std::runtime_error answerTooDeepError(const std::string& url) {
  return std::runtime_error(formatMessage(
      translatePlural("the timetable service sent an answer nested deeper than {0} level; ask "
                      "the IT department to check the service: {1}",
                      "the timetable service sent an answer nested deeper than {0} levels; ask "
                      "the IT department to check the service: {1}",
                      kMaxAnswerDepth),
      {std::to_string(kMaxAnswerDepth), url}));
}

namespace {

// Builds the answer's values as the library's own reader does, and refuses an array or object
// that begins kMaxAnswerDepth levels deep (the answer itself is at 0) before it is built. Each
// event costs the same whatever came before, so reading takes time linear in the text: a filter
// that is asked after every value whether to keep it makes the library look over the parent again
// each time, which for a long array of empty objects grows with the square of its length.
struct DepthLimitedReader : nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
  using DomReader = nlohmann::detail::json_sax_dom_parser<nlohmann::json>;

  DepthLimitedReader(nlohmann::json& answer, const std::string& answerUrl)
      : DomReader(answer, false), url(answerUrl) {}

  const std::string& url;
  int depth = 0;  // The arrays and objects open around the next value.

  void enter() {
    if (depth >= kMaxAnswerDepth) throw answerTooDeepError(url);
    ++depth;
  }
  bool start_object(std::size_t size) {
    enter();
    return DomReader::start_object(size);
  }
  bool end_object() {
    --depth;
    return DomReader::end_object();
  }
  bool start_array(std::size_t size) {
    enter();
    return DomReader::start_array(size);
  }
  bool end_array() {
    --depth;
    return DomReader::end_array();
  }
};

}  // namespace

nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url) {
  nlohmann::json answer;
  DepthLimitedReader reader(answer, url);
  const bool read =
      nlohmann::json::sax_parse(body, &reader, nlohmann::json::input_format_t::json, true, false);
  if (!read || reader.is_errored()) throw undecodableAnswerError(body, httpStatus, url);
  if (answer.is_null()) return nullptr;
  if (!answer.is_object()) throw answerNotAnObjectError(url);
  auto message = answer.find("message");
  return message == answer.end() ? nlohmann::json() : std::move(*message);
}

nlohmann::json fetchServiceMessage(const std::string& query, size_t maxBytes) {
  ServiceAnswer answer = fetchServiceAnswer(query, maxBytes);
  return serviceMessageOf(answer.body, answer.httpStatus, answer.url);
}
