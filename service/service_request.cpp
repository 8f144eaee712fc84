#include "service/service_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

const char* const kServiceBaseUrl = "https://" TIMETABLE_SERVICE_HOST ":9640/?";
const char* const kServiceUserAgent = "VELMORAX/1.0.0";
const char* const kCaBundleFile = "cacert.pem";
const size_t kMaxAnswerBytes = 16 * 1024 * 1024;
const size_t kMaxTimetableAnswerBytes = 4 * 1024 * 1024;
const int kMaxAnswerDepth = 32;

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

// The run's one transfer handle, made by the first request. Between requests it keeps the open
// connection and the TLS session. libcurl may write to the error text until the handle is
// released, so the text lives beside it rather than on a request's stack.
struct RequestSession {
  CURL* handle = nullptr;
  char errorText[CURL_ERROR_SIZE] = "";
  // The limit of the request under way, and whether the write callback found the body would
  // grow past it.
  size_t maxBytes = kMaxAnswerBytes;
  bool answerTooLarge = false;
};

RequestSession session;

template <typename Value>
void setOption(CURL* handle, CURLoption option, Value value) {
  CURLcode code = curl_easy_setopt(handle, option, value);
  if (code != CURLE_OK) {
    throw std::runtime_error(std::string("libcurl refused a request option: ") +
                             curl_easy_strerror(code));
  }
}

// Checked before the transfer, so that a missing bundle is named as such rather than as one of
// several TLS failures libcurl may report for it.
void requireCaBundle() {
  std::FILE* file = std::fopen(kCaBundleFile, "rb");
  if (file == nullptr) {
    throw std::runtime_error(std::string("the CA bundle ") + kCaBundleFile +
                             " cannot be read from the working directory: " + std::strerror(errno));
  }
  std::fclose(file);
}

// The session's handle with every option back at its default; the connection stays open.
CURL* sessionHandle() {
  if (session.handle == nullptr) {
    session.handle = curl_easy_init();
    if (session.handle == nullptr) {
      throw std::runtime_error("libcurl could not create a transfer handle");
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
  setOption(h, CURLOPT_CAINFO, kCaBundleFile);
  setOption(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setOption(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  setOption(h, CURLOPT_ERRORBUFFER, session.errorText);
}

}  // namespace

void startServiceRequests() { curl_global_init(CURL_GLOBAL_DEFAULT); }

void endServiceRequests() {
  if (session.handle != nullptr) curl_easy_cleanup(session.handle);
  session.handle = nullptr;
  curl_global_cleanup();
}

size_t appendToBody(char* data, size_t size, size_t count, void* body) {
  size_t bytes = size * count;
  try {
    static_cast<std::string*>(body)->append(data, bytes);
  } catch (const std::bad_alloc&) {
    return 0;  // libcurl then ends the transfer with a write error, which is reported.
  }
  return bytes;
}

ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes) {
  requireCaBundle();
  ServiceAnswer answer;
  answer.url = kServiceBaseUrl + query;
  CURL* h = sessionHandle();
  session.maxBytes = maxBytes;
  setRequestOptions(h, answer.url, answer.body);
  CURLcode code = curl_easy_perform(h);
  if (code == CURLE_FILESIZE_EXCEEDED || session.answerTooLarge) {
    throw std::length_error("the timetable service sent an answer larger than " +
                            std::to_string(maxBytes / (1024 * 1024)) + " MB for " + answer.url);
  }
  if (code != CURLE_OK) {
    std::string reason =
        session.errorText[0] != '\0' ? session.errorText : curl_easy_strerror(code);
    throw std::runtime_error("the timetable service could not be reached at " + answer.url + ": " +
                             reason);
  }
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &answer.httpStatus);
  return answer;
}

std::runtime_error undecodableAnswerError(const std::string& body, long httpStatus,
                                          const std::string& url) {
  std::string what = body.empty() ? "an empty answer" : "an answer that is not JSON";
  if (httpStatus < 200 || httpStatus > 299) {
    what += " with HTTP status " + std::to_string(httpStatus);
  }
  return std::runtime_error("the timetable service sent " + what + " for " + url);
}

std::runtime_error answerNotAnObjectError(const std::string& url) {
  return std::runtime_error("the timetable service sent JSON that is not an object for " + url);
}

std::runtime_error answerTooDeepError(const std::string& url) {
  return std::runtime_error("the timetable service sent an answer nested deeper than " +
                            std::to_string(kMaxAnswerDepth) + " levels for " + url);
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
