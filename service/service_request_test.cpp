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
