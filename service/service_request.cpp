#include "service/service_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <new>
#include <utility>

#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/service_request_test_support.h"

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
  std::string baseUrl;  // Empty until the settings are given.
  CURL* handle = nullptr;
  char errorText[CURL_ERROR_SIZE] = "";
  // The limit of the request under way, and whether the write callback found the body would
  // grow past it.
  size_t maxBytes = kMaxAnswerBytes;
  bool answerTooLarge = false;
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
  setOption(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setOption(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  setOption(h, CURLOPT_ERRORBUFFER, session.errorText);
}

// The error of a failed transfer, with curl's words last. A certificate that the trust does not
// vouch for, or a trust that cannot be used, names the trust, so that the user knows where to
// add the service's authority.
std::runtime_error transferError(CURLcode code, const std::string& url) {
  const std::string reason =
      session.errorText[0] != '\0' ? session.errorText : curl_easy_strerror(code);
  const ServiceSettings& settings = session.settings;
  const std::string detail = reason + " (" + url + ")";
  if (code == CURLE_PEER_FAILED_VERIFICATION) {
    return std::runtime_error(formatMessage(
        translate("the certificate of {0} is not trusted by {1}; ask the IT department which "
                  "certificate authority to trust (timetable-print --settings shows the trust): "
                  "{2}"),
        {settings.host, settings.trust.name, detail}));
  }
  if (code == CURLE_SSL_CACERT_BADFILE) {
    return std::runtime_error(formatMessage(
        translate("the certificate of {0} cannot be checked, as {1} cannot be used; ask the IT "
                  "department for a valid bundle (timetable-print --settings shows the trust): "
                  "{2}"),
        {settings.host, settings.trust.name, detail}));
  }
  return std::runtime_error(formatMessage(
      translate("cannot reach the timetable service at {0}; check the network connection, or ask "
                "the IT department to check the service address (timetable-print --settings): {1}"),
      {serviceHostPort(settings), detail}));
}

}  // namespace

void startServiceRequests(const ServiceSettings& settings) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  session.settings = settings;
  session.baseUrl = serviceBaseUrl(settings);
}

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

}  // namespace

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
  std::string what = body.empty() ? "empty" : "not JSON";
  if (httpStatus < 200 || httpStatus > 299) what += ", HTTP status " + std::to_string(httpStatus);
  return unusableAnswerError(what + ", " + url);
}

std::runtime_error answerNotAnObjectError(const std::string& url) {
  return unusableAnswerError("JSON that is not an object, " + url);
}

std::runtime_error answerTooDeepError(const std::string& url) {
  return std::runtime_error(formatMessage(
      translate("the timetable service sent an answer nested deeper than {0} levels; ask the IT "
                "department to check the service: {1}"),
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
