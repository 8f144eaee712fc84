#include "service/service_request.h"

#include <chrono>
#include <thread>

#include "platform/interrupt.h"
#include "service/request_log.h"
#include "service/request_retry.h"
#include "service/request_session.h"

namespace {

void (*retryNotifier)(const RetryNotice&) = nullptr;

// The wait between tries. An interrupt meanwhile ends the run from its own thread, at once.
void waitBeforeRetry(long seconds) {
  stopIfInterrupted();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  stopIfInterrupted();
}

}  // namespace

void setRetryNotifier(void (*notify)(const RetryNotice& notice)) { retryNotifier = notify; }

ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes) {
  ServiceAnswer answer;
  answer.url = sessionBaseUrl() + query;
  for (int tryNumber = 1;; ++tryNumber) {
    Transfer transfer = performTransfer(answer.url, maxBytes, false);
    RequestFailure failure;
    const bool failed = transfer.facts.code != 0 || transfer.facts.tooLarge;
    if (failed) {
      failure = sessionFailure(transfer.facts, answer.url);
    } else {
      // A complete answer whose status says "later": tried again while tries are left, else
      // decoded as any other answer, and when its body cannot be used it fails by the same kind.
      failure = answerFailure(FailureKind::kNotJson, answer.url, transfer.facts.httpStatus, 0, 0,
                              tryNumber)
                    .failure;
      failure.service = serviceHostPort(sessionSettings());
    }
    const long wait = retryWaitSeconds(failure, tryNumber, transfer.retryAfterSeconds);
    logTry(answer.url, transfer, failed ? &failure : nullptr, tryNumber, kMaxRequestTries);
    if (failure.kind == FailureKind::kTooLarge) failure.limit = maxBytes;
    failure.tries = tryNumber;
    if (wait >= 0) {
      logRetry(answer.url, wait, tryNumber + 1, kMaxRequestTries);
      if (retryNotifier != nullptr) {
        retryNotifier({failure, wait, tryNumber + 1, kMaxRequestTries});
      }
      waitBeforeRetry(wait);
      continue;
    }
    if (failed) throw RequestFailed(failure);
    answer.body = std::move(transfer.body);
    answer.httpStatus = transfer.facts.httpStatus;
    answer.tries = tryNumber;
    return answer;
  }
}
