#include "driver/prefetch.h"

#include <gtest/gtest.h>

namespace {

TEST(Prefetch, AFaultOfTheWayToTheServiceEndsTheBatch) {
  const FailureKind kinds[] = {
      FailureKind::kRefused,        FailureKind::kNotFound,      FailureKind::kConnectTimedOut,
      FailureKind::kNoAnswerInTime, FailureKind::kCutOff,        FailureKind::kNothingAnswered,
      FailureKind::kSignInRefused,  FailureKind::kTunnelRefused, FailureKind::kProxyGarbled,
      FailureKind::kNotTrusted,     FailureKind::kWrongName,     FailureKind::kExpired,
      FailureKind::kTrustUnusable,  FailureKind::kTlsFailed,     FailureKind::kNotAvailable,
      FailureKind::kNoService,      FailureKind::kServiceError,  FailureKind::kOutOfMemory,
      FailureKind::kOther};
  for (FailureKind kind : kinds) EXPECT_TRUE(endsPrefetch(kind)) << failureKindName(kind);
}

TEST(Prefetch, AFaultInOneTrainsAnswerGoesOnToTheNext) {
  for (FailureKind kind : {FailureKind::kTooLarge, FailureKind::kNotJson, FailureKind::kNotAnObject,
                           FailureKind::kTooDeep}) {
    EXPECT_FALSE(endsPrefetch(kind)) << failureKindName(kind);
  }
}

}  // namespace
