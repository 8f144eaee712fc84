#include "service/request_retry.h"

#include <climits>

const int kMaxRequestTries = 3;

const long kMaxRetryAfterSeconds = 10;

long retryWaitSeconds(const RequestFailure& failure, int triesDone, long retryAfterSeconds) {
  const bool brokeOff =
      failure.stage != FailureStage::kProxy &&
      (failure.kind == FailureKind::kCutOff || failure.kind == FailureKind::kNothingAnswered);
  const bool later = failure.kind == FailureKind::kNotAvailable;
  if ((!brokeOff && !later) || triesDone >= kMaxRequestTries) return -1;
  if (later && retryAfterSeconds >= 0) {
    return retryAfterSeconds <= kMaxRetryAfterSeconds ? retryAfterSeconds : -1;
  }
  return triesDone <= 1 ? 1 : 3;
}

long retryAfterSeconds(const std::string& value, long dateSeconds) {
  const size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return -1;
  const size_t last = value.find_last_not_of(" \t");
  long seconds = 0;
  for (size_t at = first; at <= last; ++at) {
    const char c = value[at];
    if (c < '0' || c > '9') return dateSeconds > 0 ? dateSeconds : -1;
    // libcurl reads a number too large as 0, "now"; it asks for longer than any wait.
    const long digit = c - '0';
    seconds = seconds > (LONG_MAX - digit) / 10 ? LONG_MAX : seconds * 10 + digit;
  }
  return seconds > 0 ? seconds : -1;
}
