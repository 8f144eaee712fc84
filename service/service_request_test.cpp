#include "service/service_request.h"

#include <gtest/gtest.h>

#include <string>

#include "service/service_request_test_support.h"
#include "service/timetable_query.h"

namespace {

TEST(ServiceRequest, AppendToBodyKeepsEveryByteInOrder) {
  std::string body = "ab";
  char data[] = {'c', '\0', 'd', 'e'};
  EXPECT_EQ(appendToBody(data, 2, 2, &body), 4u);
  EXPECT_EQ(body, std::string("abc\0de", 6));
  EXPECT_EQ(appendToBody(data, 1, 0, &body), 0u);
  EXPECT_EQ(body.size(), 6u);
}

TEST(ServiceRequest, AddressAndQueries) {
  const std::string base = serviceBaseUrl(serviceSettingsOf({}, ""));
  EXPECT_EQ(base.substr(0, 8), "https://");
  EXPECT_EQ(base.substr(base.size() - 7), ":9640/?");
  EXPECT_STREQ(kServiceUserAgent, "VELMORAX/1.0.0");
  EXPECT_EQ(timetableQuery("123", "eu"), "method=readFromSWDR&value=getTimetable;123;eu");
  EXPECT_EQ(timetableQuery("0123", "eu"), "method=readFromSWDR&value=getTimetable;0123;eu");
}

}  // namespace
