#include "service/request_log.h"

#include "platform/support_log.h"

void logTry(const std::string& url, const Transfer& transfer, const RequestFailure* failure,
            int tryNumber, int tries) {
  std::string line = "request " + url;
  if (tryNumber > 1) {
    line += " (try " + std::to_string(tryNumber) + " of " + std::to_string(tries) + ")";
  }
  line += ": HTTP status " + std::to_string(transfer.facts.httpStatus) + ", " +
          std::to_string(transfer.body.size()) + " bytes, " +
          std::to_string(transfer.totalMilliseconds) + " ms";
  if (failure != nullptr) {
    line += ", failed: " + (failure->detail.empty() ? std::string("-") : failure->detail) + " " +
            failureLogKey(*failure);
  }
  logLine(line);
}

void logRetry(const std::string& url, long waitSeconds, int nextTry, int tries) {
  logLine("retry of " + url + " in " + std::to_string(waitSeconds) + " s (try " +
          std::to_string(nextTry) + " of " + std::to_string(tries) + ")");
}
