#include "service/request_session.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <new>
#include <stdexcept>

#include "platform/translation.h"
#include "service/proxy_url.h"
#include "service/request_retry.h"
#include "service/service_request.h"

const char* const kServiceUserAgent = "VELMORAX/1.0.0";
const size_t kMaxAnswerBytes = 16 * 1024 * 1024;
const size_t kMaxTimetableAnswerBytes = 4 * 1024 * 1024;
// Without these a service that accepts the connection but never answers would hold the run
// forever.
const long kConnectTimeoutSeconds = 10;
const long kRequestTimeoutSeconds = 30;

namespace {

// The room a body without an announced length gets first.
const size_t kFirstRoom = 16 * 1024;
constexpr bool reachedByDoubling(size_t limit) {
  return (limit & (limit - 1)) == 0 && limit > kFirstRoom;
}
static_assert(reachedByDoubling(kMaxAnswerBytes) && reachedByDoubling(kMaxTimetableAnswerBytes),
              "doubling the first room reaches each limit exactly");

using Clock = std::chrono::steady_clock;

// The run's settings and its one transfer handle, made by the first request. Between requests it
// keeps the open connection and the TLS session. libcurl may write to the error text until the
// handle is released, so the text lives beside it rather than on a request's stack.
struct RequestSession {
  ServiceSettings settings;
  ProxyChoice proxy;
  std::string baseUrl;  // Empty until the settings are given.
  CURL* handle = nullptr;
  char errorText[CURL_ERROR_SIZE] = "";
  // The limit of the transfer under way, and whether the write callback found the body would
  // grow past it.
  size_t maxBytes = 0;
  bool answerTooLarge = false;
  // The watchdog's deadline for the transfer under way, and whether it ended the transfer.
  Clock::time_point deadline;
  bool deadlinePassed = false;
};

RequestSession session;

// libcurl could not take the request as the program gives it: no user can help that.
[[noreturn]] void failToPrepare(const std::string& why) {
  throw std::runtime_error(
      formatMessage(translate("cannot prepare the request to the timetable "
                              "service; report this to the IT department: {0}"),
                    {why}));
}

template <typename Value>
void setOption(CURL* handle, CURLoption option, Value value) {
  CURLcode code = curl_easy_setopt(handle, option, value);
  if (code != CURLE_OK) failToPrepare(curl_easy_strerror(code));
}

// The session's handle with every option back at its default; the connection stays open.
CURL* sessionHandle() {
  if (session.baseUrl.empty()) throw std::logic_error("a request before the service's settings");
  if (session.handle == nullptr) {
    session.handle = curl_easy_init();
    if (session.handle == nullptr) failToPrepare("no transfer handle");
  }
  curl_easy_reset(session.handle);
  session.errorText[0] = '\0';
  session.answerTooLarge = false;
  session.deadlinePassed = false;
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

// The watchdog: libcurl calls it throughout a transfer, also where it heeds no time limit of its
// own (7.88 reads a proxy's answer to CONNECT in a loop that does), so the request's limit holds
// whatever libcurl is doing.
int watchTransfer(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  if (Clock::now() < session.deadline) return 0;
  session.deadlinePassed = true;
  return 1;  // libcurl ends the transfer with CURLE_ABORTED_BY_CALLBACK.
}

// The trust of the settings. Verification stays on whatever it is: a named bundle replaces
// libcurl's default one; the system's store is that default on Linux, and with Schannel on
// Windows, Windows' own verification. A revocation server that cannot be reached is no failure,
// as many sites' networks cannot reach one; a revoked certificate still is.
void setTrustOptions(CURL* h) {
  const Trust& trust = session.settings.trust;
  if (trust.kind != TrustKind::kSystemStore) {
    // The bytes read once before the first prompt, never the file again, which may have changed.
    curl_blob bundle{const_cast<char*>(trust.bytes.data()), trust.bytes.size(), CURL_BLOB_COPY};
    setOption(h, CURLOPT_CAINFO_BLOB, &bundle);
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
  // The choice as made, always: libcurl never reads the variables by its own rules, and no
  // variable's no_proxy undoes the choice ("*" is direct, "" is none).
  setOption(h, CURLOPT_PROXY, proxy.url.c_str());
  setOption(h, CURLOPT_NOPROXY, proxy.url.empty() ? "*" : "");
  if (proxy.url.empty()) return;
  unsigned long methods = CURLAUTH_NEGOTIATE | CURLAUTH_NTLM;
  if (proxyHasUser(proxy.url)) {
    methods |= CURLAUTH_BASIC;
  } else {
    setOption(h, CURLOPT_PROXYUSERPWD, ":");
  }
  setOption(h, CURLOPT_PROXYAUTH, methods);
}

// libcurl's defaults stand for everything not set here: no diagnostic output, peer and host name
// verified, redirections not followed (a redirection's own body is what gets decoded).
void setRequestOptions(CURL* h, const std::string& url, std::string& body) {
  setOption(h, CURLOPT_URL, url.c_str());
  // The service's contract: an empty user name and password go with every request.
  setOption(h, CURLOPT_USERPWD, "");
  setOption(h, CURLOPT_USERAGENT, kServiceUserAgent);
  setOption(h, CURLOPT_WRITEFUNCTION, appendToSessionBody);
  setOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&body));
  // Refuses an answer that announces a longer body before any of it arrives.
  setOption(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(session.maxBytes));
  setTrustOptions(h);
  setProxyOptions(h);
  setOption(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setOption(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  setOption(h, CURLOPT_XFERINFOFUNCTION, watchTransfer);
  setOption(h, CURLOPT_NOPROGRESS, 0L);
  setOption(h, CURLOPT_ERRORBUFFER, session.errorText);
}

long longInfo(CURLINFO info) {
  long value = 0;
  curl_easy_getinfo(session.handle, info, &value);
  return value;
}

curl_off_t microseconds(CURLINFO info) {
  curl_off_t value = 0;
  curl_easy_getinfo(session.handle, info, &value);
  return value;
}

long milliseconds(CURLINFO info) { return static_cast<long>(microseconds(info) / 1000); }

}  // namespace

size_t appendToBody(char* data, size_t size, size_t count, void* body) {
  size_t bytes = size * count;
  try {
    static_cast<std::string*>(body)->append(data, bytes);
  } catch (const std::bad_alloc&) {
    return 0;  // libcurl then ends the transfer with a write error, which is reported.
  }
  return bytes;
}

void startServiceRequests(const ServiceSettings& settings, const ProxyChoice& proxy) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  session.settings = settings;
  session.baseUrl = serviceBaseUrl(settings);
  session.proxy = proxy;
}

void endServiceRequests() {
  if (session.handle != nullptr) curl_easy_cleanup(session.handle);
  session.handle = nullptr;
  curl_global_cleanup();
}

const ProxyChoice& serviceProxy() { return session.proxy; }
const ServiceSettings& sessionSettings() { return session.settings; }
const std::string& sessionBaseUrl() { return session.baseUrl; }

Transfer performTransfer(const std::string& url, size_t maxBytes, bool connectOnly,
                         long watchdogSeconds) {
  Transfer transfer;
  CURL* h = sessionHandle();
  session.maxBytes = maxBytes;
  setRequestOptions(h, url, transfer.body);
  if (connectOnly) {
    setOption(h, CURLOPT_CONNECT_ONLY, 1L);
    setOption(h, CURLOPT_CERTINFO, 1L);
  }
  session.deadline = Clock::now() + std::chrono::seconds(watchdogSeconds);
  const CURLcode code = curl_easy_perform(h);
  TransferFacts& facts = transfer.facts;
  facts.code = static_cast<int>(code);
  facts.text = session.errorText[0] != '\0' ? session.errorText : curl_easy_strerror(code);
  facts.connectStatus = longInfo(CURLINFO_HTTP_CONNECTCODE);
  facts.proxyMethods = longInfo(CURLINFO_PROXYAUTH_AVAIL);
  facts.verifyResult = longInfo(CURLINFO_SSL_VERIFYRESULT);
  facts.httpStatus = longInfo(CURLINFO_RESPONSE_CODE);
  facts.throughProxy = !session.proxy.url.empty();
  transfer.connectMilliseconds = milliseconds(CURLINFO_CONNECT_TIME_T);
  transfer.tlsMilliseconds = milliseconds(CURLINFO_APPCONNECT_TIME_T);
  transfer.totalMilliseconds = milliseconds(CURLINFO_TOTAL_TIME_T);
  // A connection kept from the request before made no new one: its tunnel was open.
  const bool reused = longInfo(CURLINFO_NUM_CONNECTS) == 0 && code != CURLE_COULDNT_CONNECT &&
                      code != CURLE_COULDNT_RESOLVE_HOST && code != CURLE_COULDNT_RESOLVE_PROXY;
  // libcurl 7.88 times the connection only once TLS is set up too, so a handshake that stalls
  // shows no connection time; the local port is known as soon as TCP connected.
  facts.connected = longInfo(CURLINFO_LOCAL_PORT) != 0 || reused;
  facts.secured = microseconds(CURLINFO_APPCONNECT_TIME_T) > 0 || reused;
  facts.tooLarge = session.answerTooLarge;
  facts.deadline = session.deadlinePassed;
  // libcurl reads the header's date; its number, which libcurl reads as 0 when it is too large,
  // is read here.
  curl_off_t dateSeconds = 0;
  curl_easy_getinfo(h, CURLINFO_RETRY_AFTER, &dateSeconds);
  curl_header* retryAfter = nullptr;
  if (curl_easy_header(h, "Retry-After", 0, CURLH_HEADER, -1, &retryAfter) == CURLHE_OK) {
    transfer.retryAfterSeconds = retryAfterSeconds(
        retryAfter->value, dateSeconds > LONG_MAX ? LONG_MAX : static_cast<long>(dateSeconds));
  }
  char* address = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address != nullptr) {
    transfer.primaryAddress = address;
  }
  transfer.primaryPort = longInfo(CURLINFO_PRIMARY_PORT);
  return transfer;
}

CertificateFields sessionCertificate() {
  CertificateFields fields;
  curl_certinfo* info = nullptr;
  if (curl_easy_getinfo(session.handle, CURLINFO_CERTINFO, &info) != CURLE_OK || info == nullptr ||
      info->num_of_certs < 1) {
    return fields;
  }
  const std::pair<const char*, std::string*> named[] = {
      {"Subject:", &fields.subject}, {"Issuer:", &fields.issuer}, {"Expire date:", &fields.expiry}};
  for (curl_slist* item = info->certinfo[0]; item != nullptr; item = item->next) {
    const std::string text = item->data;
    for (const auto& [name, value] : named) {
      if (text.rfind(name, 0) == 0) *value = text.substr(std::string(name).size());
    }
  }
  return fields;
}

RequestFailure sessionFailure(const TransferFacts& facts, const std::string& url) {
  RequestFailure context;
  context.url = url;
  context.service = serviceHostPort(session.settings);
  context.host = session.settings.host;
  context.trust = session.settings.trust.name;
  if (!session.proxy.url.empty()) {
    context.proxy = maskedProxy(session.proxy.url);
    context.proxySource = session.proxy.source;
  }
  return classifyTransfer(facts, context, session.proxy.url, kConnectTimeoutSeconds,
                          kRequestTimeoutSeconds);
}
