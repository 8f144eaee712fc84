#ifndef TIMETABLE_SERVICE_SERVICE_REQUEST_H_
#define TIMETABLE_SERVICE_SERVICE_REQUEST_H_

#include <cstddef>
#include <string>

#include "service/proxy_choice.h"
#include "service/request_failure.h"
#include "service/service_settings.h"

extern const char* const kServiceUserAgent;
// The largest answer taken: eight times a list of 10,000 trains online. The body is held in
// memory whole, so a service that sends more is cut off rather than followed. Even read without
// decoding, an answer may take some eight times its size while the JSON parser holds one long
// text or number, so this keeps any answer well under 256 MB.
extern const size_t kMaxAnswerBytes;
// The largest timetable taken. A timetable is a few kilobytes, and its decoded values take up to
// some forty times the answer's size, so this keeps decoding one well under 256 MB.
extern const size_t kMaxTimetableAnswerBytes;

// libcurl's global state and the one transfer handle that the requests of a run share, so that
// the second request goes over the first one's connection. startServiceRequests is called once
// before the first request, with the settings that say where the service is and what vouches for
// it; endServiceRequests once after the last, and it releases the handle.
// The proxy is the caller's choice (chooseProxy), made once for the whole invocation.
void startServiceRequests(const ServiceSettings& settings, const ProxyChoice& proxy);
void endServiceRequests();

// The proxy the requests go through, as startServiceRequests was given it.
const ProxyChoice& serviceProxy();

// A try that failed and is about to be made again: why, how long the wait is, and which try
// comes next, of how many.
struct RetryNotice {
  RequestFailure cause;
  long waitSeconds = 0;
  int nextTry = 0;
  int tries = 0;
};
// Who tells the user of a retry; none by default. Set once, before the first request.
void setRetryNotifier(void (*notify)(const RetryNotice& notice));

// An answer as it arrived, not yet decoded.
struct ServiceAnswer {
  std::string url;
  std::string body;
  long httpStatus = 0;
  int tries = 1;  // The tries it took.
};

// Performs an HTTPS GET of the service's address + query and returns the answer's body, tried
// again as kMaxRequestTries allows. A failed request is thrown as RequestFailed; an answer longer
// than maxBytes (a power of two) ends its transfer as soon as its length is known or its body
// reaches the limit, and fails as kTooLarge.
ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes = kMaxAnswerBytes);

#endif  // TIMETABLE_SERVICE_SERVICE_REQUEST_H_
