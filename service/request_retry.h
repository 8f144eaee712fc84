#ifndef TIMETABLE_SERVICE_REQUEST_RETRY_H_
#define TIMETABLE_SERVICE_REQUEST_RETRY_H_

// Which failed tries are made again, and after how long.
#include "service/request_failure.h"

// The longest wait a Retry-After is honoured with; a service that asks for longer is not asked
// again in this run.
extern const long kMaxRetryAfterSeconds;

// Whether an answer's HTTP status says "later": 429, 502, 503, 504.
bool isRetryStatus(long httpStatus);

// A request is tried at most this many times: a fault that passes (the service was reached and
// its answer broke off, or it said "later") is tried again after a short wait.
extern const int kMaxRequestTries;

// The wait in seconds before the try after triesDone: 1 s after the first, 3 s after the
// second, or the Retry-After (-1 when none) of a status that says "later". A complete answer
// comes as kHttpStatus with its status. -1 when the fault is not tried again: kMaxRequestTries
// were made, the service was not reached, the time ran out, the certificate or the proxy
// failed, or the status is another.
long retryWaitSeconds(const RequestFailure& failure, int triesDone, long retryAfterSeconds);

#endif  // TIMETABLE_SERVICE_REQUEST_RETRY_H_
