#include "service/request_failure.h"

#include <utility>

namespace {

const char* const kKindNames[] = {"refused",
                                  "name-not-found",
                                  "connect-timed-out",
                                  "no-answer-in-time",
                                  "cut-off",
                                  "nothing-answered",
                                  "sign-in-refused",
                                  "tunnel-refused",
                                  "proxy-answer-unusable",
                                  "certificate-not-trusted",
                                  "certificate-wrong-name",
                                  "certificate-expired",
                                  "trust-unusable",
                                  "tls-failed",
                                  "too-large",
                                  "not-json",
                                  "not-an-object",
                                  "too-deep",
                                  "not-available",
                                  "no-service",
                                  "service-error",
                                  "out-of-memory",
                                  "other"};
static_assert(sizeof kKindNames / sizeof kKindNames[0] ==
                  static_cast<size_t>(FailureKind::kOther) + 1,
              "a name for each kind");
const char* const kStageNames[] = {"name", "proxy", "connection", "TLS", "request", "answer"};

std::string summaryOf(const RequestFailure& failure) {
  return std::string(failureKindName(failure.kind)) + " at the " + failureStageName(failure.stage) +
         " stage: " + failure.url +
         (failure.status != 0 ? " (status " + std::to_string(failure.status) + ")" : "");
}

}  // namespace

const char* failureKindName(FailureKind kind) { return kKindNames[static_cast<int>(kind)]; }

const char* failureStageName(FailureStage stage) { return kStageNames[static_cast<int>(stage)]; }

std::string failureLogKey(const RequestFailure& failure) {
  return std::string("[") + failureStageName(failure.stage) + " stage, " +
         failureKindName(failure.kind) + "]";
}

RequestFailed::RequestFailed(RequestFailure facts)
    : std::runtime_error(summaryOf(facts)), failure(std::move(facts)) {}

FailureKind answerFailureKind(long httpStatus, FailureKind contentKind) {
  // "Later": a service that is busy, starting or behind a gateway that lost it for a moment.
  if (httpStatus == 429 || httpStatus == 502 || httpStatus == 503 || httpStatus == 504) {
    return FailureKind::kNotAvailable;
  }
  if (httpStatus == 404) return FailureKind::kNoService;
  if (httpStatus >= 500 && httpStatus <= 599) return FailureKind::kServiceError;
  return contentKind;
}

RequestFailed answerFailure(FailureKind contentKind, const std::string& url, long httpStatus,
                            size_t limit, size_t answerBytes, int tries) {
  RequestFailure failure;
  failure.stage = FailureStage::kAnswer;
  // Too large or too deep is what the program refused, whatever the status.
  failure.kind = contentKind == FailureKind::kNotJson || contentKind == FailureKind::kNotAnObject
                     ? answerFailureKind(httpStatus, contentKind)
                     : contentKind;
  failure.tries = tries;
  failure.url = url;
  failure.status = httpStatus;
  failure.limit = limit;
  failure.answerBytes = answerBytes;
  return RequestFailed(std::move(failure));
}
