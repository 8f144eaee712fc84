#ifndef TIMETABLE_SERVICE_REQUEST_FAILURE_H_
#define TIMETABLE_SERVICE_REQUEST_FAILURE_H_

#include <cstddef>
#include <stdexcept>
#include <string>

// Where a request to the service stopped: finding the service's name, the proxy, the TCP
// connection, the secure connection, sending the request, or its answer.
enum class FailureStage { kName, kProxy, kConnection, kTls, kRequest, kAnswer };

// What went wrong, as a fact; the driver words each kind once, with the advice that fits. Each
// kind has a stable English name, given after it: lower-case words joined by dashes, returned
// by failureKindName. It is the key the support log and whatever decides by the kind go by, so
// a name once released is never changed nor given to another kind.
enum class FailureKind {
  kRefused,          // refused: the connection was refused, or the address cannot be reached.
  kNotFound,         // name-not-found: the name is not known on the network.
  kConnectTimedOut,  // connect-timed-out: no connection within the connection's time limit.
  kNoAnswerInTime,   // no-answer-in-time: connected, but the next step did not come in time.
  kCutOff,           // cut-off: the answer, or the connection, broke off midway.
  kNothingAnswered,  // nothing-answered: the server closed the connection without an answer.
  kSignInRefused,    // sign-in-refused: the proxy asks for sign-in and did not take ours.
  kTunnelRefused,    // tunnel-refused: the proxy refused to open a connection to the service.
  kProxyGarbled,     // proxy-answer-unusable: the proxy's answer to CONNECT cannot be read.
  kNotTrusted,       // certificate-not-trusted: the trust does not vouch for the certificate.
  kWrongName,        // certificate-wrong-name: the certificate was made out to another name.
  kExpired,          // certificate-expired: expired, or not valid yet.
  kTrustUnusable,    // trust-unusable: the trust's bundle cannot be used.
  kTlsFailed,        // tls-failed: the secure connection could not be set up otherwise.
  kTooLarge,         // too-large: the answer is larger than the request's limit.
  kNotJson,          // not-json: the answer is not one JSON text (or is empty).
  kNotAnObject,      // not-an-object: JSON, but neither an object nor null.
  kTooDeep,          // too-deep: JSON nested deeper than kMaxAnswerDepth.
  kNotAvailable,     // not-available: the service's status says "later" (429, 502, 503, 504),
                     // after every try that was made.
  kNoService,        // no-service: the status 404; no timetable service at that address.
  kServiceError,     // service-error: another status 5xx; the service reported an error.
  kOutOfMemory,      // out-of-memory: there is no memory for the answer.
  kOther,            // other: anything else libcurl reports; its own text says what.
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
  int tries = 1;              // The tries made of the request.
  std::string detail;
};

// A failed request, thrown by the request code for the driver to word. what() is a short English
// summary for the fuzz targets and the tests, never shown to the user.
struct RequestFailed : std::runtime_error {
  explicit RequestFailed(RequestFailure facts);
  RequestFailure failure;
};

// The stage and the kind as the support log records them: "[answer stage, not-available]".
std::string failureLogKey(const RequestFailure& failure);

// The kind of an answer that arrived whole but cannot be used: what its HTTP status says, when
// it says more than the body (kNotAvailable, kNoService, kServiceError), else contentKind, what
// is wrong with the body. The retries and the final failure both go by it, so that they agree.
FailureKind answerFailureKind(long httpStatus, FailureKind contentKind);

// The failure of an answer that arrived but cannot be used, its kind by answerFailureKind: only
// its address, status and the tries made count.
RequestFailed answerFailure(FailureKind contentKind, const std::string& url, long httpStatus = 0,
                            size_t limit = 0, size_t answerBytes = 0, int tries = 1);

#endif  // TIMETABLE_SERVICE_REQUEST_FAILURE_H_
