#include "service/failure_classification.h"

#include <curl/curl.h>

#include <utility>

#include "service/proxy_url.h"

// Why the server's certificate was refused. OpenSSL tells its own number (X509_V_ERR_*: 9 not
// yet valid, 10 expired, 62 another name); curl checks the name itself, which OpenSSL then
// passed, and Schannel tells nothing but its text, so the text is the last resort.
CertificateFault certificateFaultOf(long verifyResult, const std::string& reason) {
  if (verifyResult == 9 || verifyResult == 10 ||
      reason.find("CERT_TRUST_IS_NOT_TIME_VALID") != std::string::npos) {
    return CertificateFault::kExpired;
  }
  if (verifyResult == 62 || reason.find("subject name") != std::string::npos ||
      reason.find("match connection hostname") != std::string::npos ||
      reason.find("does not match target host name") != std::string::npos) {
    return CertificateFault::kOtherName;
  }
  return CertificateFault::kNotTrusted;
}

namespace {

// The sign-in methods of a CURLAUTH_ set, as proxies name them.
std::string signInMethodNames(long methods) {
  const std::pair<unsigned long, const char*> known[] = {{CURLAUTH_NEGOTIATE, "Negotiate"},
                                                         {CURLAUTH_NTLM, "NTLM"},
                                                         {CURLAUTH_DIGEST, "Digest"},
                                                         {CURLAUTH_BASIC, "Basic"}};
  std::string names;
  for (const auto& [bit, name] : known) {
    if ((static_cast<unsigned long>(methods) & bit) == 0) continue;
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names;
}

bool isTimeOut(const TransferFacts& facts) {
  return facts.deadline || facts.code == CURLE_OPERATION_TIMEDOUT;
}

bool isTlsFault(int code) {
  return code == CURLE_SSL_CONNECT_ERROR || code == CURLE_PEER_FAILED_VERIFICATION ||
         code == CURLE_SSL_CACERT_BADFILE || code == CURLE_SSL_CERTPROBLEM;
}

// Through a proxy, everything before the secure connection through the tunnel is set up is the
// proxy's: its name, the connection to it, its answer to CONNECT, however that answer fails (a
// status of 200 may still be followed by headers without end), and what came through the tunnel
// instead of TLS (a close, or junk). Only a verdict on the service's certificate, which a TLS
// server sent, is the service's.
bool classifyProxy(const TransferFacts& facts, RequestFailure& failure, long connectSeconds,
                   long requestSeconds) {
  if (facts.code == CURLE_COULDNT_RESOLVE_PROXY) {
    failure.stage = FailureStage::kProxy;
    failure.kind = FailureKind::kNotFound;
    return true;
  }
  if (!facts.throughProxy || facts.secured) return false;
  failure.stage = FailureStage::kProxy;
  if (facts.connectStatus == 407) {
    failure.kind = FailureKind::kSignInRefused;
    failure.signInMethods = signInMethodNames(facts.proxyMethods);
  } else if (facts.connectStatus != 0 && (facts.connectStatus < 200 || facts.connectStatus > 299)) {
    failure.kind = FailureKind::kTunnelRefused;
  } else if (facts.code == CURLE_COULDNT_CONNECT) {
    failure.kind = FailureKind::kRefused;
  } else if (isTimeOut(facts)) {
    // libcurl's time limit to connect covers the proxy's answer to CONNECT; the watchdog's is
    // the whole request's.
    failure.kind = FailureKind::kNoAnswerInTime;
    failure.seconds = facts.deadline ? requestSeconds : connectSeconds;
  } else if (facts.connectStatus >= 200 && facts.connectStatus <= 299 &&
             facts.code == CURLE_SSL_CONNECT_ERROR) {
    failure.kind = FailureKind::kTlsFailed;
  } else if (facts.connectStatus >= 200 && facts.connectStatus <= 299 && isTlsFault(facts.code)) {
    return false;
  } else {
    failure.kind = FailureKind::kProxyGarbled;
  }
  if (facts.connectStatus != 0) failure.status = facts.connectStatus;
  return true;
}

void classifyTls(const TransferFacts& facts, RequestFailure& failure) {
  failure.stage = FailureStage::kTls;
  if (facts.code == CURLE_SSL_CACERT_BADFILE) {
    failure.kind = FailureKind::kTrustUnusable;
    return;
  }
  if (facts.code != CURLE_PEER_FAILED_VERIFICATION) {
    failure.kind = FailureKind::kTlsFailed;
    return;
  }
  switch (certificateFaultOf(facts.verifyResult, facts.text)) {
    case CertificateFault::kExpired:
      failure.kind = FailureKind::kExpired;
      return;
    case CertificateFault::kOtherName:
      failure.kind = FailureKind::kWrongName;
      return;
    case CertificateFault::kNotTrusted:
      failure.kind = FailureKind::kNotTrusted;
      return;
  }
}

void classifyService(const TransferFacts& facts, RequestFailure& failure, long connectSeconds,
                     long requestSeconds) {
  failure.stage = FailureStage::kConnection;
  if (isTimeOut(facts)) {
    if (!facts.connected) {
      failure.kind = FailureKind::kConnectTimedOut;
      failure.seconds = connectSeconds;
      return;
    }
    // libcurl's time limit to connect covers TLS too; the request's limit what follows.
    failure.stage = facts.secured || facts.deadline ? FailureStage::kAnswer : FailureStage::kTls;
    failure.kind = FailureKind::kNoAnswerInTime;
    failure.seconds = failure.stage == FailureStage::kTls ? connectSeconds : requestSeconds;
    return;
  }
  switch (facts.code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      failure.stage = FailureStage::kName;
      failure.kind = FailureKind::kNotFound;
      return;
    case CURLE_COULDNT_CONNECT:
      failure.kind = FailureKind::kRefused;
      return;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
      classifyTls(facts, failure);
      return;
    case CURLE_SEND_ERROR:
      failure.stage = FailureStage::kRequest;
      failure.kind = FailureKind::kCutOff;
      return;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
      // Before the status line, a connection that broke (as Schannel reports a close) gave no
      // answer at all.
      failure.stage = FailureStage::kAnswer;
      failure.kind = facts.httpStatus == 0 ? FailureKind::kNothingAnswered : FailureKind::kCutOff;
      return;
    case CURLE_GOT_NOTHING:
      failure.stage = FailureStage::kAnswer;
      failure.kind = FailureKind::kNothingAnswered;
      return;
    case CURLE_FILESIZE_EXCEEDED:
      failure.stage = FailureStage::kAnswer;
      failure.kind = FailureKind::kTooLarge;
      return;
    case CURLE_OUT_OF_MEMORY:
    case CURLE_WRITE_ERROR:
      failure.stage = FailureStage::kAnswer;
      failure.kind = FailureKind::kOutOfMemory;
      return;
    default:
      failure.stage = facts.connected ? FailureStage::kRequest : FailureStage::kConnection;
      failure.kind = FailureKind::kOther;
      return;
  }
}

}  // namespace

RequestFailure classifyTransfer(const TransferFacts& facts, RequestFailure context,
                                const std::string& proxyUrl, long connectSeconds,
                                long requestSeconds) {
  RequestFailure failure = std::move(context);
  failure.detail = maskProxySecrets(facts.text, proxyUrl) + " (curl " + std::to_string(facts.code) +
                   (facts.deadline ? ", ended by the watchdog" : "") + ")";
  if (facts.tooLarge) {
    failure.stage = FailureStage::kAnswer;
    failure.kind = FailureKind::kTooLarge;
    return failure;
  }
  if (!classifyProxy(facts, failure, connectSeconds, requestSeconds)) {
    classifyService(facts, failure, connectSeconds, requestSeconds);
  }
  if (failure.stage != FailureStage::kProxy && facts.httpStatus != 0) {
    failure.status = facts.httpStatus;
  }
  return failure;
}
