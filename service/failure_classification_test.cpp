#include "service/failure_classification.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FailureClassification, CertificateFaultsFromOpenSslNumbersAndSchannelText) {
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

const char* const kProxy = "http://crew:pa/ssWORD@127.0.0.1:3128";

TransferFacts failed(CURLcode code, bool connected = true) {
  TransferFacts facts;
  facts.code = code;
  facts.text = "libcurl's words";
  facts.connected = connected;
  facts.secured = connected;
  return facts;
}

// Before the tunnel's TLS is set up.
TransferFacts throughProxy(TransferFacts facts) {
  facts.throughProxy = true;
  facts.secured = false;
  return facts;
}

RequestFailure classified(const TransferFacts& facts) {
  RequestFailure context;
  context.url = "https://localhost:9640/?q";
  return classifyTransfer(facts, context, facts.throughProxy ? kProxy : "", 10, 30);
}

::testing::AssertionResult Is(const RequestFailure& failure, FailureStage stage, FailureKind kind) {
  if (failure.stage == stage && failure.kind == kind) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "stage " << static_cast<int>(failure.stage) << ", kind "
                                       << static_cast<int>(failure.kind);
}

TEST(FailureClassification, TheServiceReachedDirectly) {
  EXPECT_TRUE(Is(classified(failed(CURLE_COULDNT_RESOLVE_HOST, false)), FailureStage::kName,
                 FailureKind::kNotFound));
  EXPECT_TRUE(Is(classified(failed(CURLE_COULDNT_CONNECT, false)), FailureStage::kConnection,
                 FailureKind::kRefused));
  // The time ran out before a connection, or after it: only the second one is no answer.
  RequestFailure early = classified(failed(CURLE_OPERATION_TIMEDOUT, false));
  EXPECT_TRUE(Is(early, FailureStage::kConnection, FailureKind::kConnectTimedOut));
  EXPECT_EQ(early.seconds, 10);
  RequestFailure late = classified(failed(CURLE_OPERATION_TIMEDOUT));
  EXPECT_TRUE(Is(late, FailureStage::kAnswer, FailureKind::kNoAnswerInTime));
  EXPECT_EQ(late.seconds, 30);
  TransferFacts handshake = failed(CURLE_OPERATION_TIMEDOUT);
  handshake.secured = false;
  EXPECT_TRUE(Is(classified(handshake), FailureStage::kTls, FailureKind::kNoAnswerInTime));
  EXPECT_EQ(classified(handshake).seconds, 10);
  TransferFacts watchdog = failed(CURLE_ABORTED_BY_CALLBACK);
  watchdog.deadline = true;
  EXPECT_TRUE(Is(classified(watchdog), FailureStage::kAnswer, FailureKind::kNoAnswerInTime));
  EXPECT_NE(classified(watchdog).detail.find("watchdog"), std::string::npos);
  TransferFacts cut = failed(CURLE_PARTIAL_FILE);
  cut.httpStatus = 200;
  EXPECT_TRUE(Is(classified(cut), FailureStage::kAnswer, FailureKind::kCutOff));
  cut.code = CURLE_RECV_ERROR;
  EXPECT_TRUE(Is(classified(cut), FailureStage::kAnswer, FailureKind::kCutOff));
  // Before any status line, a connection that broke gave no answer (Schannel's close).
  EXPECT_TRUE(Is(classified(failed(CURLE_RECV_ERROR)), FailureStage::kAnswer,
                 FailureKind::kNothingAnswered));
  EXPECT_TRUE(
      Is(classified(failed(CURLE_SEND_ERROR)), FailureStage::kRequest, FailureKind::kCutOff));
  EXPECT_TRUE(Is(classified(failed(CURLE_GOT_NOTHING)), FailureStage::kAnswer,
                 FailureKind::kNothingAnswered));
  EXPECT_TRUE(Is(classified(failed(CURLE_FILESIZE_EXCEEDED)), FailureStage::kAnswer,
                 FailureKind::kTooLarge));
  TransferFacts tooLarge = failed(CURLE_WRITE_ERROR);
  tooLarge.tooLarge = true;
  EXPECT_TRUE(Is(classified(tooLarge), FailureStage::kAnswer, FailureKind::kTooLarge));
  EXPECT_TRUE(
      Is(classified(failed(CURLE_WRITE_ERROR)), FailureStage::kAnswer, FailureKind::kOutOfMemory));
}

TEST(FailureClassification, CertificatesAndTheTrust) {
  TransferFacts expired = failed(CURLE_PEER_FAILED_VERIFICATION);
  expired.verifyResult = 10;
  EXPECT_TRUE(Is(classified(expired), FailureStage::kTls, FailureKind::kExpired));
  TransferFacts otherName = failed(CURLE_PEER_FAILED_VERIFICATION);
  otherName.verifyResult = 62;
  EXPECT_TRUE(Is(classified(otherName), FailureStage::kTls, FailureKind::kWrongName));
  EXPECT_TRUE(Is(classified(failed(CURLE_PEER_FAILED_VERIFICATION)), FailureStage::kTls,
                 FailureKind::kNotTrusted));
  EXPECT_TRUE(Is(classified(failed(CURLE_SSL_CACERT_BADFILE)), FailureStage::kTls,
                 FailureKind::kTrustUnusable));
  EXPECT_TRUE(
      Is(classified(failed(CURLE_SSL_CONNECT_ERROR)), FailureStage::kTls, FailureKind::kTlsFailed));
}

TEST(FailureClassification, EveryFaultBeforeTheTunnelIsTheProxys) {
  EXPECT_TRUE(Is(classified(throughProxy(failed(CURLE_COULDNT_RESOLVE_PROXY, false))),
                 FailureStage::kProxy, FailureKind::kNotFound));
  EXPECT_TRUE(Is(classified(throughProxy(failed(CURLE_COULDNT_CONNECT, false))),
                 FailureStage::kProxy, FailureKind::kRefused));
  // CONNECT never answered, or answered drop by drop, within libcurl's time to connect.
  RequestFailure silent = classified(throughProxy(failed(CURLE_OPERATION_TIMEDOUT, false)));
  EXPECT_TRUE(Is(silent, FailureStage::kProxy, FailureKind::kNoAnswerInTime));
  EXPECT_EQ(silent.seconds, 10);
  // Or flooded until the watchdog ends it at the request's limit.
  TransferFacts flooded = throughProxy(failed(CURLE_ABORTED_BY_CALLBACK));
  flooded.deadline = true;
  flooded.connectStatus = 407;
  EXPECT_TRUE(Is(classified(flooded), FailureStage::kProxy, FailureKind::kSignInRefused));
  flooded.connectStatus = 0;
  EXPECT_TRUE(Is(classified(flooded), FailureStage::kProxy, FailureKind::kNoAnswerInTime));
  EXPECT_EQ(classified(flooded).seconds, 30);
  // A yes followed by headers without end is the proxy's too; a fault of TLS after it is not.
  TransferFacts endless = throughProxy(failed(CURLE_RECV_ERROR));
  endless.connectStatus = 200;
  EXPECT_TRUE(Is(classified(endless), FailureStage::kProxy, FailureKind::kProxyGarbled));
  // Garbage, headers too long, or a connection closed before the answer.
  for (CURLcode code :
       {CURLE_WEIRD_SERVER_REPLY, CURLE_RECV_ERROR, CURLE_GOT_NOTHING, CURLE_PROXY}) {
    EXPECT_TRUE(Is(classified(throughProxy(failed(code))), FailureStage::kProxy,
                   FailureKind::kProxyGarbled))
        << code;
  }
  TransferFacts signIn = throughProxy(failed(CURLE_PROXY));
  signIn.connectStatus = 407;
  signIn.proxyMethods = CURLAUTH_NEGOTIATE | CURLAUTH_NTLM;
  RequestFailure refused = classified(signIn);
  EXPECT_TRUE(Is(refused, FailureStage::kProxy, FailureKind::kSignInRefused));
  EXPECT_EQ(refused.signInMethods, "Negotiate, NTLM");
  signIn.proxyMethods = 0;
  EXPECT_EQ(classified(signIn).signInMethods, "");
  TransferFacts forbidden = throughProxy(failed(CURLE_PROXY));
  forbidden.connectStatus = 403;
  EXPECT_TRUE(Is(classified(forbidden), FailureStage::kProxy, FailureKind::kTunnelRefused));
  EXPECT_EQ(classified(forbidden).status, 403);
  // Once the tunnel is open, what follows is the service's.
  TransferFacts afterTunnel = throughProxy(failed(CURLE_PARTIAL_FILE));
  afterTunnel.secured = true;
  afterTunnel.httpStatus = 200;
  EXPECT_TRUE(Is(classified(afterTunnel), FailureStage::kAnswer, FailureKind::kCutOff));
  TransferFacts opened = throughProxy(failed(CURLE_PEER_FAILED_VERIFICATION));
  opened.connectStatus = 200;
  EXPECT_TRUE(Is(classified(opened), FailureStage::kTls, FailureKind::kNotTrusted));
  // A yes followed by a close or by junk where TLS should come: no TLS server spoke.
  TransferFacts noTls = throughProxy(failed(CURLE_SSL_CONNECT_ERROR));
  noTls.connectStatus = 200;
  EXPECT_TRUE(Is(classified(noTls), FailureStage::kProxy, FailureKind::kTlsFailed));
}

TEST(FailureClassification, LibcurlsWordsAreKeptMasked) {
  TransferFacts facts = throughProxy(failed(CURLE_COULDNT_RESOLVE_PROXY));
  facts.text = std::string("Could not resolve proxy in '") + kProxy + "'";
  const RequestFailure failure = classified(facts);
  EXPECT_EQ(failure.detail.find("pa/ssWORD"), std::string::npos) << failure.detail;
  EXPECT_EQ(failure.detail.find("crew"), std::string::npos) << failure.detail;
  EXPECT_NE(failure.detail.find("(curl 5)"), std::string::npos) << failure.detail;
  EXPECT_EQ(failure.url, "https://localhost:9640/?q");
}

}  // namespace
