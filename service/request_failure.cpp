#include "service/request_failure.h"

#include <utility>

namespace {

const char* const kKindNames[] = {"refused",
                                  "not found",
                                  "timed out before connecting",
                                  "no answer in time",
                                  "cut off",
                                  "nothing answered",
                                  "sign-in refused",
                                  "tunnel refused",
                                  "proxy answer garbled",
                                  "certificate not trusted",
                                  "wrong name",
                                  "expired",
                                  "trust unusable",
                                  "TLS failed",
                                  "too large",
                                  "not JSON",
                                  "not an object",
                                  "too deep",
                                  "HTTP status",
                                  "out of memory",
                                  "other"};
const char* const kStageNames[] = {"name", "proxy", "connection", "TLS", "request", "answer"};

std::string summaryOf(const RequestFailure& failure) {
  return std::string(kKindNames[static_cast<int>(failure.kind)]) + " at the " +
         kStageNames[static_cast<int>(failure.stage)] + " stage: " + failure.url +
         (failure.status != 0 ? " (status " + std::to_string(failure.status) + ")" : "");
}

}  // namespace

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
