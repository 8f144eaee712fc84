#include "service/service_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <new>
#include <utility>

#include "platform/start_menu.h"
#include "platform/translation.h"

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

// The service's host and port, as the user or the IT department knows the service.
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
  if (session.settings.trust != TrustKind::kSystemStore) {
    setOption(h, CURLOPT_CAINFO, session.settings.trustFile.c_str());
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

// The errors of a failed transfer, each with {0} for the host, {1} for the trust (where it is
// named) and its last index for curl's words. A user who started the program from the Start menu
// is pointed to the entry that shows the settings; one at a command line, to the option.
struct TransferErrorTexts {
  const char* untrusted;
  const char* unusableTrust;
  const char* unreachable;
};

TransferErrorTexts transferErrorTexts() {
  if (startedFromMenu()) {
    return {
        translate("the certificate of {0} is not trusted by {1}; ask the IT department which "
                  "certificate authority to trust (\"Check the connection\" in the Start menu "
                  "shows the settings and tests the connection): {2}"),
        translate("the certificate of {0} cannot be checked, as {1} cannot be used; ask the IT "
                  "department for a valid bundle (\"Check the connection\" in the Start menu "
                  "shows the settings and tests the connection): {2}"),
        translate("cannot reach the timetable service at {0}; check the network connection, or "
                  "ask the IT department to check the service address (\"Check the connection\" "
                  "in the Start menu shows the settings and tests the connection): {1}"),
    };
  }
  return {
      translate("the certificate of {0} is not trusted by {1}; ask the IT department which "
                "certificate authority to trust (timetable-print --settings shows the trust): "
                "{2}"),
      translate("the certificate of {0} cannot be checked, as {1} cannot be used; ask the IT "
                "department for a valid bundle (timetable-print --settings shows the trust): "
                "{2}"),
      translate("cannot reach the timetable service at {0}; check the network connection, or ask "
                "the IT department to check the service address (timetable-print --settings): {1}"),
  };
}

// The error of a failed transfer, with curl's words last. A certificate that the trust does not
// vouch for, or a trust that cannot be used, names the trust, so that the user knows where to
// add the service's authority.
std::runtime_error transferError(CURLcode code, const std::string& url) {
  const std::string reason =
      session.errorText[0] != '\0' ? session.errorText : curl_easy_strerror(code);
  const ServiceSettings& settings = session.settings;
  const std::string detail = reason + " (" + url + ")";
  const TransferErrorTexts texts = transferErrorTexts();
  if (code == CURLE_PEER_FAILED_VERIFICATION) {
    return std::runtime_error(
        formatMessage(texts.untrusted, {settings.host, settings.trustName, detail}));
  }
  if (code == CURLE_SSL_CACERT_BADFILE) {
    return std::runtime_error(
        formatMessage(texts.unusableTrust, {settings.host, settings.trustName, detail}));
  }
  return std::runtime_error(formatMessage(
      texts.unreachable, {settings.host + ":" + std::to_string(settings.port), detail}));
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

ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes) {
  if (session.baseUrl.empty()) throw std::logic_error("a request before the service's settings");
  ServiceAnswer answer;
  answer.url = session.baseUrl + query;
  CURL* h = sessionHandle();
  session.maxBytes = maxBytes;
  setRequestOptions(h, answer.url, answer.body);
  CURLcode code = curl_easy_perform(h);
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

nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url) {
  // The parser tells the depth of each array and object it begins: the answer itself is at 0.
  // Refusing there keeps a deep answer from costing more than its text.
  auto refuseDeep = [&url](int depth, nlohmann::json::parse_event_t event, nlohmann::json&) {
    const bool begins = event == nlohmann::json::parse_event_t::object_start ||
                        event == nlohmann::json::parse_event_t::array_start;
    if (begins && depth >= kMaxAnswerDepth) throw answerTooDeepError(url);
    return true;
  };
  nlohmann::json answer = nlohmann::json::parse(body, refuseDeep, false, false);
  if (answer.is_discarded()) throw undecodableAnswerError(body, httpStatus, url);
  if (answer.is_null()) return nullptr;
  if (!answer.is_object()) throw answerNotAnObjectError(url);
  auto message = answer.find("message");
  return message == answer.end() ? nlohmann::json() : std::move(*message);
}

nlohmann::json fetchServiceMessage(const std::string& query, size_t maxBytes) {
  ServiceAnswer answer = fetchServiceAnswer(query, maxBytes);
  return serviceMessageOf(answer.body, answer.httpStatus, answer.url);
}
