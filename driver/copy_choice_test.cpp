#include "driver/copy_choice.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TimetableFetch failed(FailureKind kind) {
  TimetableFetch fetch;
  fetch.failure = kind;
  return fetch;
}

TimetableFetch answered(long status, bool holdsTimetable) {
  TimetableFetch fetch;
  fetch.httpStatus = status;
  fetch.holdsTimetable = holdsTimetable;
  return fetch;
}

TEST(CopyChoice, EveryFailedRequestLetsACopyStandIn) {
  const FailureKind kinds[] = {
      FailureKind::kRefused,        FailureKind::kNotFound,      FailureKind::kConnectTimedOut,
      FailureKind::kNoAnswerInTime, FailureKind::kCutOff,        FailureKind::kNothingAnswered,
      FailureKind::kSignInRefused,  FailureKind::kTunnelRefused, FailureKind::kProxyGarbled,
      FailureKind::kNotTrusted,     FailureKind::kWrongName,     FailureKind::kExpired,
      FailureKind::kTrustUnusable,  FailureKind::kTlsFailed,     FailureKind::kTooLarge,
      FailureKind::kNotJson,        FailureKind::kNotAnObject,   FailureKind::kTooDeep,
      FailureKind::kNotAvailable,   FailureKind::kNoService,     FailureKind::kServiceError,
      FailureKind::kOutOfMemory,    FailureKind::kOther};
  for (FailureKind kind : kinds) {
    EXPECT_TRUE(copyMayStandIn(failed(kind))) << failureKindName(kind);
  }
}

TEST(CopyChoice, AnAnswerWithoutATimetableLetsACopyStandInOnlyWhenItsStatusIsNot2xx) {
  EXPECT_TRUE(copyMayStandIn(answered(404, false)));
  EXPECT_TRUE(copyMayStandIn(answered(503, false)));
  EXPECT_TRUE(copyMayStandIn(answered(199, false)));
  EXPECT_TRUE(copyMayStandIn(answered(300, false)));
  EXPECT_FALSE(copyMayStandIn(answered(200, false)));
  EXPECT_FALSE(copyMayStandIn(answered(299, false)));
}

TEST(CopyChoice, AnAnswerHoldingATimetableIsUsedWhateverItsStatus) {
  EXPECT_FALSE(copyMayStandIn(answered(200, true)));
  EXPECT_FALSE(copyMayStandIn(answered(500, true)));
}

CopyCandidate candidate(CopyOwner owner, int64_t fetchedAt, std::string refusal = "") {
  CopyCandidate copy;
  copy.owner = owner;
  copy.present = true;
  copy.refusal = std::move(refusal);
  copy.copy.fetchedAt = fetchedAt;
  return copy;
}

const int64_t kNow = 1796880600;  // 2026-12-10 05:30 UTC.

TEST(CopyChoice, TheNewestUsableCopyWinsWhoeverKeptIt) {
  CopyChoice choice = chooseCopy(
      {candidate(CopyOwner::kUser, kNow - 7200), candidate(CopyOwner::kMachine, kNow - 4800)}, kNow,
      2);
  EXPECT_EQ(choice.outcome, CopyChoice::Outcome::kChosen);
  EXPECT_EQ(choice.chosen.owner, CopyOwner::kMachine);
  EXPECT_EQ(choice.age, 4800);
  choice = chooseCopy(
      {candidate(CopyOwner::kUser, kNow - 60), candidate(CopyOwner::kMachine, kNow - 4800)}, kNow,
      2);
  EXPECT_EQ(choice.chosen.owner, CopyOwner::kUser);
}

TEST(CopyChoice, ACopyOlderThanTheLimitIsNotChosen) {
  EXPECT_EQ(chooseCopy({candidate(CopyOwner::kUser, kNow - 7200)}, kNow, 2).outcome,
            CopyChoice::Outcome::kChosen);
  const CopyChoice old = chooseCopy({candidate(CopyOwner::kUser, kNow - 7201)}, kNow, 2);
  EXPECT_EQ(old.outcome, CopyChoice::Outcome::kTooOld);
  EXPECT_EQ(old.age, 7201);
}

TEST(CopyChoice, ARefusedCopyIsNeverChosenAndIsSaidEvenBesideAnother) {
  CopyCandidate absent;
  EXPECT_EQ(chooseCopy({absent, absent}, kNow, 2).outcome, CopyChoice::Outcome::kNone);
  const CopyChoice refused =
      chooseCopy({candidate(CopyOwner::kUser, kNow, "damaged"), absent}, kNow, 2);
  EXPECT_EQ(refused.outcome, CopyChoice::Outcome::kRefused);
  const CopyChoice beside = chooseCopy(
      {candidate(CopyOwner::kUser, kNow, "damaged"), candidate(CopyOwner::kMachine, kNow - 60)},
      kNow, 2);
  EXPECT_EQ(beside.outcome, CopyChoice::Outcome::kChosen);
  EXPECT_EQ(beside.chosen.owner, CopyOwner::kMachine);
  EXPECT_EQ(beside.refusals.size(), 1u);
}

}  // namespace
