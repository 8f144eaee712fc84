#include "service/service_message.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "service/request_session.h"
#include "service/timetable_query.h"

namespace {

TEST(RequestSession, AppendToBodyKeepsEveryByteInOrder) {
  std::string body = "ab";
  char data[] = {'c', '\0', 'd', 'e'};
  EXPECT_EQ(appendToBody(data, 2, 2, &body), 4u);
  EXPECT_EQ(body, std::string("abc\0de", 6));
  EXPECT_EQ(appendToBody(data, 1, 0, &body), 0u);
  EXPECT_EQ(body.size(), 6u);
}

TEST(ServiceMessage, AddressAndQueries) {
  const std::string base = serviceBaseUrl(serviceSettingsOf({}));
  EXPECT_EQ(base.substr(0, 8), "https://");
  EXPECT_EQ(base.substr(base.size() - 7), ":9640/?");
  EXPECT_STREQ(kServiceUserAgent, "VELMORAX/1.0.0");
  EXPECT_EQ(timetableQuery("123", "eu"), "method=readFromSWDR&value=getTimetable;123;eu");
  EXPECT_EQ(timetableQuery("0123", "eu"), "method=readFromSWDR&value=getTimetable;0123;eu");
}

// The answer's own object stands at depth 0, so arrays in "message" begin at depths 1 to levels.
std::string nestedAnswer(size_t levels) {
  return R"({"message":)" + std::string(levels, '[') + std::string(levels, ']') + "}";
}

TEST(ServiceMessage, AnswersAreDecodedUpToTheDepthLimitAndRefusedAtIt) {
  const size_t limit = static_cast<size_t>(kMaxAnswerDepth);
  EXPECT_EQ(serviceMessageOf(nestedAnswer(limit - 1), 200, "u").dump(),
            std::string(limit - 1, '[') + std::string(limit - 1, ']'));
  try {
    serviceMessageOf(nestedAnswer(limit) + " not JSON", 200, "u");
    FAIL() << "not refused";
  } catch (const RequestFailed& failed) {
    EXPECT_EQ(failed.failure.kind, FailureKind::kTooDeep);
    EXPECT_EQ(failed.failure.limit, 32u);
  }
  EXPECT_EQ(serviceMessageOf(R"({"message":{"a":[1,"x",null]},"message2":1})", 200, "u"),
            nlohmann::json::parse(R"({"a":[1,"x",null]})"));
  EXPECT_TRUE(serviceMessageOf("null", 200, "u").is_null());
  EXPECT_TRUE(serviceMessageOf(R"({"other":1})", 200, "u").is_null());
  for (const char* body : {"", "{}x", "[", "{\"message\":1,}"}) {
    try {
      serviceMessageOf(body, 403, "u");
      ADD_FAILURE() << "not refused: " << body;
    } catch (const RequestFailed& failed) {
      EXPECT_EQ(failed.failure.kind, FailureKind::kNotJson) << body;
      EXPECT_EQ(failed.failure.stage, FailureStage::kAnswer) << body;
      EXPECT_EQ(failed.failure.status, 403) << body;
      EXPECT_EQ(failed.failure.answerBytes, std::string(body).size()) << body;
    }
  }
  try {
    serviceMessageOf("[{}]", 200, "u");
    ADD_FAILURE() << "not refused";
  } catch (const RequestFailed& failed) {
    EXPECT_EQ(failed.failure.kind, FailureKind::kNotAnObject);
  }
}

TEST(ServiceMessage, ValuesOfEveryTypeAreBuiltAsTheLibraryBuildsThem) {
  const std::string body =
      R"({"message":{"a":[true,false,null,-5,7,1.5,"t\u00f3",{},[]],"b":{"c":{"d":1}},"a2":0}})";
  EXPECT_EQ(serviceMessageOf(body, 200, "u"), nlohmann::json::parse(body)["message"]);
  // The last of several members with one key counts, as in the library's own reading.
  EXPECT_EQ(serviceMessageOf(R"({"message":1,"message":2})", 200, "u"), 2);
}

// The last answer after the last try: what its status says, when its body cannot be used.
TEST(ServiceMessage, AnErrorPageFailsByItsStatusAndJsonIsUsedWhateverTheStatus) {
  const std::pair<long, FailureKind> cases[] = {{503, FailureKind::kNotAvailable},
                                                {429, FailureKind::kNotAvailable},
                                                {404, FailureKind::kNoService},
                                                {500, FailureKind::kServiceError}};
  for (const auto& [status, kind] : cases) {
    for (const char* body : {"<html>busy</html>", "[1]"}) {
      try {
        serviceMessageOf(body, status, "u", 3);
        ADD_FAILURE() << status << " not refused";
      } catch (const RequestFailed& failed) {
        EXPECT_EQ(failed.failure.kind, kind) << status;
        EXPECT_EQ(failed.failure.status, status);
        EXPECT_EQ(failed.failure.tries, 3);
      }
    }
    EXPECT_EQ(serviceMessageOf(R"({"message":5})", status, "u", 3), 5) << status;
  }
}

}  // namespace
