#include "service/request_retry.h"

const int kMaxRequestTries = 3;
const long kMaxRetryAfterSeconds = 10;

bool isRetryStatus(long httpStatus) {
  return httpStatus == 429 || httpStatus == 502 || httpStatus == 503 || httpStatus == 504;
}

long retryWaitSeconds(const RequestFailure& failure, int triesDone, long retryAfterSeconds) {
  const bool brokeOff =
      failure.stage != FailureStage::kProxy &&
      (failure.kind == FailureKind::kCutOff || failure.kind == FailureKind::kNothingAnswered);
  const bool later = failure.kind == FailureKind::kHttpStatus && isRetryStatus(failure.status);
  if ((!brokeOff && !later) || triesDone >= kMaxRequestTries) return -1;
  if (later && retryAfterSeconds >= 0) {
    return retryAfterSeconds <= kMaxRetryAfterSeconds ? retryAfterSeconds : -1;
  }
  return triesDone <= 1 ? 1 : 3;
}
