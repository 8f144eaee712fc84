#ifndef TIMETABLE_SERVICE_REQUEST_RETRY_H_
#define TIMETABLE_SERVICE_REQUEST_RETRY_H_

// Which failed tries are made again, and after how long.
#include <string>

#include "service/request_failure.h"

// The longest wait a Retry-After is honoured with; a service that asks for longer is not asked
// again in this run.
extern const long kMaxRetryAfterSeconds;

// A request is tried at most this many times: a fault that passes (the service was reached and
// its answer broke off, or it said it is not available) is tried again after a short wait.
extern const int kMaxRequestTries;

// The wait in seconds before the try after triesDone: 1 s after the first, 3 s after the
// second, or the Retry-After (-1 when none) of a service that is not available. A complete
// answer comes with the kind answerFailureKind gives its status. -1 when the fault is not tried
// again: kMaxRequestTries were made, the service was not reached, the time ran out, the
// certificate or the proxy failed, or the status says nothing passes.
long retryWaitSeconds(const RequestFailure& failure, int triesDone, long retryAfterSeconds);

// The wait an answer's Retry-After header asks for: its seconds, as many as a long holds for a
// number too large for one (which no wait honours), or for an HTTP date dateSeconds, libcurl's
// reading of it. -1 without the header, for 0 and for a date that has passed: the usual waits.
long retryAfterSeconds(const std::string& value, long dateSeconds);

#endif  // TIMETABLE_SERVICE_REQUEST_RETRY_H_
