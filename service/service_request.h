#ifndef TIMETABLE_SERVICE_SERVICE_REQUEST_H_
#define TIMETABLE_SERVICE_SERVICE_REQUEST_H_

#include <cstddef>
#include <nlohmann/json_fwd.hpp>
#include <stdexcept>
#include <string>

#include "service/proxy_choice.h"
#include "service/service_settings.h"

extern const char* const kServiceUserAgent;
// The largest answer taken: eight times a list of 10,000 trains online. The body is held in
// memory whole, so a service that sends more is cut off rather than followed. Even read without
// decoding, an answer may take some eight times its size while the JSON parser holds one long
// text or number, so this keeps any answer well under 256 MB.
extern const size_t kMaxAnswerBytes;
// The largest timetable taken. A timetable is a few kilobytes, and its decoded values take up to
// some forty times the answer's size, so this keeps decoding one well under 256 MB.
extern const size_t kMaxTimetableAnswerBytes;
// The deepest nesting of arrays and objects taken in an answer; the service's answers are four
// deep. A deeper answer is refused while it is read, before it can take the stack or the memory.
extern const int kMaxAnswerDepth;

// libcurl's global state and the one transfer handle that the requests of a run share, so that
// the second request goes over the first one's connection. startServiceRequests is called once
// before the first request, with the settings that say where the service is and what vouches for
// it; endServiceRequests once after the last, and it releases the handle.
// startServiceRequests also chooses the proxy, which may ask the system (a few seconds at most).
void startServiceRequests(const ServiceSettings& settings);
void endServiceRequests();

// The proxy the requests go through, as startServiceRequests chose it.
const ProxyChoice& serviceProxy();

// libcurl's own words for the last failed transfer, with its code, for the support log and
// --check; the error messages give a translated cause instead. Empty before any failure.
std::string lastTransferDetail();

// Where a connection to the service stopped, for --check.
enum class ConnectionStage { kNone, kName, kProxy, kConnection, kTls };

// What opening a connection to the service showed, for --check: the name resolved, the proxy,
// the TCP connection and TLS, with the same options as every request.
struct ConnectionFacts {
  ConnectionStage failedAt = ConnectionStage::kNone;
  std::string error;    // The failure's message, as a request would give it.
  std::string address;  // The address connected to: the service's, or the proxy's.
  long port = 0;
  long connectMilliseconds = 0;  // From the start to the TCP connection.
  long tlsMilliseconds = 0;      // From the start to the end of the TLS handshake.
  std::string subject;           // The server certificate's subject, issuer and end of validity, as
  std::string issuer;            // the TLS library writes them; empty when it tells none.
  std::string expiry;
};

// Opens a connection to the service as a request does, and goes no further than TLS.
ConnectionFacts checkServiceConnection();

// An answer as it arrived, not yet decoded.
struct ServiceAnswer {
  std::string url;
  std::string body;
  long httpStatus = 0;
};

// Performs one HTTPS GET of the service's address + query and returns the answer's body. A failed
// transfer is thrown as std::runtime_error with its cause and the address; a certificate
// that the trust does not vouch for names the trust, a failure of the proxy names the proxy. An
// answer longer than maxBytes (a power of two) ends its transfer as soon as its length is known or
// its body reaches the limit, and is thrown as std::length_error naming the limit and the address:
// it is not a runtime_error, so callers that carry on after a failed request let it end the run.
ServiceAnswer fetchServiceAnswer(const std::string& query, size_t maxBytes = kMaxAnswerBytes);

// The errors for an answer that is not one JSON text (naming an HTTP error status), and for JSON
// that is neither an object nor null; url says which request the answer belongs to.
std::runtime_error undecodableAnswerError(const std::string& body, long httpStatus,
                                          const std::string& url);
std::runtime_error answerNotAnObjectError(const std::string& url);
// The error for an answer nested deeper than kMaxAnswerDepth.
std::runtime_error answerTooDeepError(const std::string& url);

// Performs one HTTPS GET of the service's address + query and returns a copy of the answer's member
// "message": null when the answer is null or an object without that member. A failed transfer
// (its cause and the address), an answer that is not JSON (naming an HTTP error status)
// or JSON that is neither an object nor null is thrown as std::runtime_error; an answer over
// maxBytes as std::length_error, as above.
nlohmann::json fetchServiceMessage(const std::string& query, size_t maxBytes = kMaxAnswerBytes);

// The parts of the requests that the tests, the benchmark and the fuzz targets reach directly.
// libcurl's write callback: appends the received bytes to the std::string given as write data.
size_t appendToBody(char* data, size_t size, size_t count, void* body);

// Decodes the body of an answer and returns a copy of its member "message", as
// fetchServiceMessage does; url and httpStatus only serve the error message. An answer nested
// deeper than kMaxAnswerDepth is thrown as answerTooDeepError as soon as the reader reaches that
// depth, and reading takes time linear in the body's length.
nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url);
// Why the server's certificate was refused, from the TLS library's verification result and
// libcurl's text.
enum class CertificateFault { kNotTrusted, kExpired, kOtherName };
CertificateFault certificateFaultOf(long verifyResult, const std::string& reason);

#endif  // TIMETABLE_SERVICE_SERVICE_REQUEST_H_
