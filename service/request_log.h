#ifndef TIMETABLE_SERVICE_REQUEST_LOG_H_
#define TIMETABLE_SERVICE_REQUEST_LOG_H_

// Within service/: the support log's line for each try of a request.
#include <string>

#include "service/request_failure.h"
#include "service/request_session.h"

// What was asked and what came of it: the status, the size of the body (never the body, which
// is the service's and may be long), the time, which try of how many (from the second on), and for
// a failure libcurl's masked words, its stage and its kind.
void logTry(const std::string& url, const Transfer& transfer, const RequestFailure* failure,
            int tryNumber, int tries);

// A try that is made again, with the wait.
void logRetry(const std::string& url, long waitSeconds, int nextTry, int tries);

#endif  // TIMETABLE_SERVICE_REQUEST_LOG_H_
