#include "service/connection_probe.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionProbe, CertificateDatesAreShownTheSameInEveryLanguage) {
  EXPECT_EQ(certificateDateText("Jan  8 18:22:00 2027 GMT"), "2027-01-08 18:22 UTC");
  EXPECT_EQ(certificateDateText("Dec 31 23:59:59 2030 GMT"), "2030-12-31 23:59 UTC");
  EXPECT_EQ(certificateDateText("2027-01-08 18:22:00 GMT"), "2027-01-08 18:22 UTC");
  // What is neither is shown as the TLS library wrote it.
  EXPECT_EQ(certificateDateText("tomorrow"), "tomorrow");
  EXPECT_EQ(certificateDateText(""), "");
}

}  // namespace
