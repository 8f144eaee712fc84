#include "service/request_failure.h"

#include <utility>

namespace {

const char* const kKindNames[] = {"refused",
                                  "name not found",
                                  "timed out before connecting",
                                  "no answer in time",
                                  "cut off midway",
                                  "nothing answered",
                                  "sign-in refused",
                                  "tunnel refused",
                                  "proxy answer unusable",
                                  "certificate not trusted",
                                  "certificate for another name",
                                  "certificate expired",
                                  "trust unusable",
                                  "TLS failed",
                                  "too large",
                                  "not JSON",
                                  "not an object",
                                  "too deep",
                                  "HTTP status",
                                  "out of memory",
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

RequestFailed::RequestFailed(RequestFailure facts)
    : std::runtime_error(summaryOf(facts)), failure(std::move(facts)) {}

RequestFailed answerFailure(FailureKind kind, const std::string& url, long httpStatus, size_t limit,
                            size_t answerBytes) {
  RequestFailure failure;
  failure.stage = FailureStage::kAnswer;
  failure.kind = kind;
  failure.url = url;
  failure.status = httpStatus;
  failure.limit = limit;
  failure.answerBytes = answerBytes;
  return RequestFailed(std::move(failure));
}
