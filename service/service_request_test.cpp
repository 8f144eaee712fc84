#include "service/service_request.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

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

// The answer's own object stands at depth 0, so arrays in "message" begin at depths 1 to levels.
std::string nestedAnswer(size_t levels) {
  return R"({"message":)" + std::string(levels, '[') + std::string(levels, ']') + "}";
}

TEST(ServiceRequest, AnswersAreDecodedUpToTheDepthLimitAndRefusedAtIt) {
  const size_t limit = static_cast<size_t>(kMaxAnswerDepth);
  EXPECT_EQ(serviceMessageOf(nestedAnswer(limit - 1), 200, "u").dump(),
            std::string(limit - 1, '[') + std::string(limit - 1, ']'));
  try {
    serviceMessageOf(nestedAnswer(limit) + " not JSON", 200, "u");
    FAIL() << "not refused";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("deeper than 32 levels"), std::string::npos);
  }
  EXPECT_EQ(serviceMessageOf(R"({"message":{"a":[1,"x",null]},"message2":1})", 200, "u"),
            nlohmann::json::parse(R"({"a":[1,"x",null]})"));
  EXPECT_TRUE(serviceMessageOf("null", 200, "u").is_null());
  EXPECT_TRUE(serviceMessageOf(R"({"other":1})", 200, "u").is_null());
  for (const char* body : {"", "{}x", "[", "{\"message\":1,}"}) {
    EXPECT_THROW(serviceMessageOf(body, 200, "u"), std::runtime_error) << body;
  }
  EXPECT_THROW(serviceMessageOf("[{}]", 200, "u"), std::runtime_error);
}

TEST(ServiceRequest, CertificateFaultsFromOpenSslNumbersAndSchannelText) {
  EXPECT_EQ(certificateFaultOf(10, "certificate has expired"), CertificateFault::kExpired);
  EXPECT_EQ(certificateFaultOf(9, ""), CertificateFault::kExpired);
  EXPECT_EQ(certificateFaultOf(62, ""), CertificateFault::kOtherName);
  EXPECT_EQ(certificateFaultOf(19, "self-signed certificate in certificate chain"),
            CertificateFault::kNotTrusted);
  EXPECT_EQ(certificateFaultOf(20, ""), CertificateFault::kNotTrusted);
  // curl checks the name itself after OpenSSL passed the chain.
  EXPECT_EQ(certificateFaultOf(0,
                               "SSL: no alternative certificate subject name matches target "
                               "host name 'x'"),
            CertificateFault::kOtherName);
  EXPECT_EQ(certificateFaultOf(0,
                               "schannel: CertGetCertificateChain trust error "
                               "CERT_TRUST_IS_NOT_TIME_VALID"),
            CertificateFault::kExpired);
  EXPECT_EQ(certificateFaultOf(0,
                               "schannel: CertGetCertificateChain trust error "
                               "CERT_TRUST_IS_UNTRUSTED_ROOT"),
            CertificateFault::kNotTrusted);
}

}  // namespace
