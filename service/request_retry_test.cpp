#include "service/request_retry.h"

#include <gtest/gtest.h>

namespace {

RequestFailure failureOf(FailureStage stage, FailureKind kind, long status = 0) {
  RequestFailure failure;
  failure.stage = stage;
  failure.kind = kind;
  failure.status = status;
  return failure;
}

TEST(RequestRetry, AnAnswerThatBrokeOffIsTriedAgainAfterOneThenThreeSeconds) {
  for (const RequestFailure& failure :
       {failureOf(FailureStage::kAnswer, FailureKind::kCutOff),
        failureOf(FailureStage::kRequest, FailureKind::kCutOff),
        failureOf(FailureStage::kAnswer, FailureKind::kNothingAnswered)}) {
    EXPECT_EQ(retryWaitSeconds(failure, 1, -1), 1);
    EXPECT_EQ(retryWaitSeconds(failure, 2, -1), 3);
    // The third try is the last.
    EXPECT_EQ(kMaxRequestTries, 3);
    EXPECT_EQ(retryWaitSeconds(failure, kMaxRequestTries, -1), -1);
  }
}

TEST(RequestRetry, AStatusThatSaysLaterIsTriedAgainHonouringRetryAfterUpToTenSeconds) {
  for (long status : {429L, 502L, 503L, 504L}) {
    const RequestFailure later = answerFailure(FailureKind::kNotJson, "u", status).failure;
    EXPECT_EQ(retryWaitSeconds(later, 1, -1), 1) << status;
    EXPECT_EQ(retryWaitSeconds(later, 2, -1), 3) << status;
    EXPECT_EQ(retryWaitSeconds(later, 1, 2), 2) << status;
    EXPECT_EQ(retryWaitSeconds(later, 1, kMaxRetryAfterSeconds), 10) << status;
    EXPECT_EQ(retryWaitSeconds(later, 1, kMaxRetryAfterSeconds + 1), -1) << status;
    EXPECT_EQ(retryWaitSeconds(later, kMaxRequestTries, 2), -1) << status;
  }
  for (long status : {200L, 302L, 404L, 500L, 501L, 505L}) {
    EXPECT_EQ(retryWaitSeconds(answerFailure(FailureKind::kNotJson, "u", status).failure, 1, -1),
              -1)
        << status;
  }
}

TEST(RequestRetry, RetryAfterIsReadAsSecondsOrAsTheDateLibcurlRead) {
  EXPECT_EQ(retryAfterSeconds(" 7 ", 0), 7);
  EXPECT_EQ(retryAfterSeconds("", 0), -1);
  EXPECT_EQ(retryAfterSeconds("0", 0), -1);
  EXPECT_EQ(retryAfterSeconds("Wed, 21 Oct 2015 07:28:00 GMT", 0), -1);
  EXPECT_EQ(retryAfterSeconds("Wed, 21 Oct 2035 07:28:00 GMT", 5), 5);
  // libcurl reads a number too large for it as "now": it asks for longer than any wait.
  const long huge = retryAfterSeconds("99999999999999999999999999", 0);
  EXPECT_GT(huge, kMaxRetryAfterSeconds);
  EXPECT_EQ(retryWaitSeconds(answerFailure(FailureKind::kNotJson, "u", 503).failure, 1, huge), -1);
}

TEST(RequestRetry, NeverWhenTheServiceWasNotReachedOrTheTimeRanOut) {
  const RequestFailure never[] = {
      failureOf(FailureStage::kConnection, FailureKind::kRefused),
      failureOf(FailureStage::kName, FailureKind::kNotFound),
      failureOf(FailureStage::kConnection, FailureKind::kConnectTimedOut),
      failureOf(FailureStage::kAnswer, FailureKind::kNoAnswerInTime),
      failureOf(FailureStage::kTls, FailureKind::kNotTrusted),
      failureOf(FailureStage::kTls, FailureKind::kExpired),
      failureOf(FailureStage::kTls, FailureKind::kWrongName),
      failureOf(FailureStage::kTls, FailureKind::kTlsFailed),
      failureOf(FailureStage::kProxy, FailureKind::kCutOff),
      failureOf(FailureStage::kProxy, FailureKind::kNothingAnswered),
      failureOf(FailureStage::kProxy, FailureKind::kProxyGarbled),
      failureOf(FailureStage::kProxy, FailureKind::kSignInRefused),
      failureOf(FailureStage::kAnswer, FailureKind::kTooLarge),
      failureOf(FailureStage::kAnswer, FailureKind::kNotJson, 503),
  };
  for (const RequestFailure& failure : never) {
    EXPECT_EQ(retryWaitSeconds(failure, 1, -1), -1)
        << static_cast<int>(failure.stage) << " " << static_cast<int>(failure.kind);
  }
}

}  // namespace
