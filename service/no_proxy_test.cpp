#include "service/no_proxy.h"

#include <gtest/gtest.h>

namespace {

TEST(NoProxy, StarOnlyAsTheWholeValue) {
  EXPECT_TRUE(inNoProxyList("anything", "*"));
  EXPECT_TRUE(inNoProxyList("127.0.0.1", "*"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "example.org,*"));
  EXPECT_FALSE(inNoProxyList("localhost", "*, localhost.example"));
  EXPECT_FALSE(inNoProxyList("localhost", ""));
}

TEST(NoProxy, NamesMatchWholeOrByDomainWithOptionalDots) {
  EXPECT_TRUE(inNoProxyList("localhost", "example.org, localhost"));
  EXPECT_TRUE(inNoProxyList("localhost", "localhost."));
  EXPECT_TRUE(inNoProxyList("localhost.", "localhost"));
  EXPECT_TRUE(inNoProxyList("Timetable.Example.org", ".example.ORG"));
  EXPECT_TRUE(inNoProxyList("timetable.example.org", "example.org."));
  EXPECT_FALSE(inNoProxyList("badexample.org", "example.org"));
  EXPECT_FALSE(inNoProxyList("example.org", "timetable.example.org"));
  EXPECT_TRUE(inNoProxyList("b", "a,,  b"));
  // A list ends at an entry that no comma follows.
  EXPECT_FALSE(inNoProxyList("b", "a b"));
}

TEST(NoProxy, AddressesMatchWholeOrByRange) {
  EXPECT_TRUE(inNoProxyList("127.0.0.1", "127.0.0.0/8"));
  EXPECT_TRUE(inNoProxyList("127.0.0.1", "127.0.0.1/32"));
  EXPECT_TRUE(inNoProxyList("127.0.0.1", "127.0.0.1"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", ".0.0.1"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "0.0.1"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "127.0.0.2/32"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "128.0.0.0/8"));
  EXPECT_TRUE(inNoProxyList("10.1.2.3", "10.0.0.0/12"));
  EXPECT_FALSE(inNoProxyList("10.16.0.1", "10.0.0.0/12"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "127.0.0.0/33"));
  EXPECT_FALSE(inNoProxyList("127.0.0.1", "localhost"));
  EXPECT_TRUE(inNoProxyList("[::1]", "::1"));
  EXPECT_TRUE(inNoProxyList("[2001:db8::7]", "2001:db8::/32"));
  EXPECT_TRUE(inNoProxyList("[2001:db8::7]", "2001:db8:0:0:0:0:0:0/125"));
  EXPECT_FALSE(inNoProxyList("[2001:db8::8]", "2001:db8::/125"));
  EXPECT_FALSE(inNoProxyList("[2001:db9::7]", "2001:db8::/32"));
  EXPECT_TRUE(inNoProxyList("[::ffff:192.0.2.1]", "::ffff:192.0.2.0/120"));
  EXPECT_FALSE(inNoProxyList("[::1]", "[::1]"));
  EXPECT_FALSE(inNoProxyList("[::1]", "1"));
}

}  // namespace
