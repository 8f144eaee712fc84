#ifndef TIMETABLE_DRIVER_REQUEST_FAILURE_TEXT_H_
#define TIMETABLE_DRIVER_REQUEST_FAILURE_TEXT_H_

// A failed request in the user's words: one true sentence for each kind of failure, and the
// advice that fits how the program was started.
#include <string>

#include "service/request_failure.h"
#include "service/service_request.h"

// How the program was started: a user who started it from the Start menu has no command line to
// add an option to, so the advice names the Start-menu entry that does the job instead; the
// check's own entry has shown the settings already, so it points there rather than to itself.
enum class StartedFrom { kCommandLine, kStartMenu, kCheckMenuEntry };

// The error message of a failed request. libcurl's own words are not in it: they go to the log,
// and under --check.
std::string requestFailureText(const RequestFailure& failure, StartedFrom startedFrom);

// The notice of a try that is made again: the cause, the wait, and which try of how many.
std::string retryNoticeText(const RetryNotice& notice);

// Shows that notice on standard error; for setRetryNotifier.
void showRetryNotice(const RetryNotice& notice);

#endif  // TIMETABLE_DRIVER_REQUEST_FAILURE_TEXT_H_
