#include "service/request_failure.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(RequestFailure, EveryKindHasItsOwnKeyOfLowerCaseWordsAndDashes) {
  std::set<std::string> names;
  for (int kind = 0; kind <= static_cast<int>(FailureKind::kOther); ++kind) {
    const std::string name = failureKindName(static_cast<FailureKind>(kind));
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string::npos) << name;
    EXPECT_TRUE(name.front() != '-' && name.back() != '-') << name;
    EXPECT_TRUE(names.insert(name).second) << name;
  }
  // The keys others go by stay as released.
  EXPECT_STREQ(failureKindName(FailureKind::kNotAvailable), "not-available");
  EXPECT_STREQ(failureKindName(FailureKind::kNoService), "no-service");
  EXPECT_STREQ(failureKindName(FailureKind::kServiceError), "service-error");
  EXPECT_STREQ(failureKindName(FailureKind::kNoAnswerInTime), "no-answer-in-time");
}

TEST(RequestFailure, AnUnusableAnswerFailsByWhatItsStatusSays) {
  for (long status : {429L, 502L, 503L, 504L}) {
    EXPECT_EQ(answerFailureKind(status, FailureKind::kNotJson), FailureKind::kNotAvailable);
  }
  EXPECT_EQ(answerFailureKind(404, FailureKind::kNotJson), FailureKind::kNoService);
  for (long status : {500L, 501L, 505L, 599L}) {
    EXPECT_EQ(answerFailureKind(status, FailureKind::kNotAnObject), FailureKind::kServiceError);
  }
  for (long status : {0L, 200L, 302L, 403L, 410L, 600L}) {
    EXPECT_EQ(answerFailureKind(status, FailureKind::kNotAnObject), FailureKind::kNotAnObject);
  }
  const RequestFailure last = answerFailure(FailureKind::kNotJson, "u", 503, 0, 12, 3).failure;
  EXPECT_EQ(last.kind, FailureKind::kNotAvailable);
  EXPECT_EQ(last.stage, FailureStage::kAnswer);
  EXPECT_EQ(last.status, 503);
  EXPECT_EQ(last.tries, 3);
  // What the program itself refused stays that, whatever the status.
  EXPECT_EQ(answerFailure(FailureKind::kTooDeep, "u", 503, 32).failure.kind, FailureKind::kTooDeep);
}

}  // namespace
