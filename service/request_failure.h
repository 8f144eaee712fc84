#ifndef TIMETABLE_SERVICE_REQUEST_FAILURE_H_
#define TIMETABLE_SERVICE_REQUEST_FAILURE_H_

#include <cstddef>
#include <stdexcept>
#include <string>

// Where a request to the service stopped: finding the service's name, the proxy, the TCP
// connection, the secure connection, sending the request, or its answer.
enum class FailureStage { kName, kProxy, kConnection, kTls, kRequest, kAnswer };

// What went wrong, as a fact; the driver words each kind once, with the advice that fits.
enum class FailureKind {
  kRefused,          // The connection was refused, or the address cannot be reached.
  kNotFound,         // The name is not known on the network.
  kConnectTimedOut,  // No connection could be made before the connection's time limit.
  kNoAnswerInTime,   // Connected, but the answer did not come within the request's time limit.
  kCutOff,           // The answer, or the connection, broke off midway.
  kNothingAnswered,  // The server closed the connection without an answer.
  kSignInRefused,    // The proxy asks for sign-in and did not take ours.
  kTunnelRefused,    // The proxy refused to open a connection to the service.
  kProxyGarbled,     // The proxy's answer to the request for a tunnel cannot be read.
  kNotTrusted,       // The trust does not vouch for the service's certificate.
  kWrongName,        // The certificate was made out to another name.
  kExpired,          // The certificate has expired or is not valid yet.
  kTrustUnusable,    // The trust's bundle cannot be used.
  kTlsFailed,        // The secure connection could not be set up otherwise.
  kTooLarge,         // The answer is larger than the request's limit.
  kNotJson,          // The answer is not one JSON text (or is empty).
  kNotAnObject,      // JSON, but neither an object nor null.
  kTooDeep,          // JSON nested deeper than kMaxAnswerDepth.
  kHttpStatus,       // The service answered with a status that says "not now" (a retry's cause).
  kOutOfMemory,      // There is no memory for the answer.
  kOther,            // Anything else libcurl reports; its own text says what.
};

// The kind and the stage in English words, for the support log, which is the IT department's.
const char* failureKindName(FailureKind kind);
const char* failureStageName(FailureStage stage);

// A failed request as data. The names are as messages show them: the proxy without its user or
// password. detail is libcurl's own text with its code, any proxy secret masked, for the support
// log and --check only: messages give the kind's own sentence instead.
struct RequestFailure {
  FailureStage stage = FailureStage::kRequest;
  FailureKind kind = FailureKind::kOther;
  std::string url;            // The request's address.
  std::string service;        // The service's host:port.
  std::string host;           // The service's host, as its certificate is checked against.
  std::string proxy;          // The proxy's address; empty for a direct connection.
  std::string proxySource;    // Where the proxy came from.
  std::string trust;          // The trust, in the user's terms.
  std::string signInMethods;  // The proxy's sign-in methods, as it names them; empty for none.
  long status = 0;            // The service's HTTP status, or the proxy's answer to CONNECT.
  long seconds = 0;           // The time limit that ran out.
  size_t limit = 0;           // The size in bytes, or the depth, that the answer went past.
  size_t answerBytes = 0;     // The size of an answer that cannot be used.
  std::string detail;
};

// A failed request, thrown by the request code for the driver to word. what() is a short English
// summary for the fuzz targets and the tests, never shown to the user.
struct RequestFailed : std::runtime_error {
  explicit RequestFailed(RequestFailure facts);
  RequestFailure failure;
};

// The failure of an answer that arrived but cannot be used: only its address and status count.
RequestFailed answerFailure(FailureKind kind, const std::string& url, long httpStatus = 0,
                            size_t limit = 0, size_t answerBytes = 0);

#endif  // TIMETABLE_SERVICE_REQUEST_FAILURE_H_
