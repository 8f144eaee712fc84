#include "service/service_request.h"

#include <curl/curl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

const char* const serviceBaseUrl = "https://" TIMETABLE_SERVICE_HOST ":9640/?";
const char* const serviceUserAgent = "VELMORAX/1.0.0";
const char* const caBundleFile = "cacert.pem";

namespace {

// Without these a service that accepts the connection but never answers would hold the run
// forever.
const long kConnectTimeoutSeconds = 10;
const long kRequestTimeoutSeconds = 30;

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

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
  std::FILE* file = std::fopen(caBundleFile, "rb");
  if (file == nullptr) {
    throw std::runtime_error(std::string("the CA bundle ") + caBundleFile +
                             " cannot be read from the working directory: " + std::strerror(errno));
  }
  std::fclose(file);
}

struct Transfer {
  std::string body;
  long httpStatus = 0;
};

Transfer performGet(const std::string& url) {
  CurlHandle handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) throw std::runtime_error("libcurl could not create a transfer handle");
  Transfer transfer;
  char errorText[CURL_ERROR_SIZE] = "";
  CURL* h = handle.get();
  setOption(h, CURLOPT_URL, url.c_str());
  setOption(h, CURLOPT_NOPROGRESS, 1L);
  setOption(h, CURLOPT_USERPWD, "");
  setOption(h, CURLOPT_USERAGENT, serviceUserAgent);
  setOption(h, CURLOPT_MAXREDIRS, 50L);
  setOption(h, CURLOPT_WRITEFUNCTION, appendToBody);
  setOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&transfer.body));
  setOption(h, CURLOPT_VERBOSE, 0L);
  setOption(h, CURLOPT_CAINFO, caBundleFile);
  setOption(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  setOption(h, CURLOPT_TIMEOUT, kRequestTimeoutSeconds);
  setOption(h, CURLOPT_ERRORBUFFER, errorText);
  CURLcode code = curl_easy_perform(h);
  if (code != CURLE_OK) {
    std::string reason = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    throw std::runtime_error("the timetable service could not be reached at " + url + ": " +
                             reason);
  }
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &transfer.httpStatus);
  return transfer;
}

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

nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url) {
  nlohmann::json answer = nlohmann::json::parse(body, nullptr, false, false);
  if (answer.is_discarded()) {
    std::string what = body.empty() ? "an empty answer" : "an answer that is not JSON";
    if (httpStatus < 200 || httpStatus > 299) {
      what += " with HTTP status " + std::to_string(httpStatus);
    }
    throw std::runtime_error("the timetable service sent " + what + " for " + url);
  }
  if (answer.is_null()) return nullptr;
  if (!answer.is_object()) {
    throw std::runtime_error("the timetable service sent JSON that is not an object for " + url);
  }
  auto message = answer.find("message");
  return message == answer.end() ? nlohmann::json() : *message;
}

nlohmann::json fetchServiceMessage(const std::string& query) {
  requireCaBundle();
  const std::string url = serviceBaseUrl + query;
  Transfer transfer = performGet(url);
  // Each request sets libcurl's global state up implicitly and tears it down here.
  curl_global_cleanup();
  return serviceMessageOf(transfer.body, transfer.httpStatus, url);
}
