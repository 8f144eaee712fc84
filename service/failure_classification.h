#ifndef TIMETABLE_SERVICE_FAILURE_CLASSIFICATION_H_
#define TIMETABLE_SERVICE_FAILURE_CLASSIFICATION_H_

// A failed transfer classified once, from what libcurl found, into the stage and kind the
// messages, the retries and --check go by.
#include <string>

#include "service/request_failure.h"

// What libcurl found about a transfer that failed, or that ended with an HTTP status.
struct TransferFacts {
  int code = 0;            // libcurl's CURLcode.
  std::string text;        // libcurl's own words for it, unmasked.
  long connectStatus = 0;  // The proxy's status for CONNECT; 0 when none came.
  long proxyMethods = 0;   // The proxy's sign-in methods, as CURLAUTH_ bits.
  long verifyResult = 0;   // The TLS library's certificate verification result.
  long httpStatus = 0;     // The service's status; 0 when none came.
  bool throughProxy = false;
  bool secured = false;    // The tunnel was open, or the connection was one kept from before.
  bool connected = false;  // The TCP connection (to the proxy, or the service) was made.
  bool tooLarge = false;   // The body would have grown past the request's limit.
  bool deadline = false;   // The watchdog ended the transfer at the request's time limit.
};

// Why the server's certificate was refused, from the TLS library's verification result and
// libcurl's text.
enum class CertificateFault { kNotTrusted, kExpired, kOtherName };
CertificateFault certificateFaultOf(long verifyResult, const std::string& reason);

// The stage and kind of a failed transfer (facts.code not CURLE_OK), and status, seconds and
// sign-in methods as they apply; the names in context (url, service, proxy, trust) are kept.
// The detail is libcurl's text with its code, masked by the proxy URL given.
RequestFailure classifyTransfer(const TransferFacts& facts, RequestFailure context,
                                const std::string& proxyUrl, long connectSeconds,
                                long requestSeconds);

#endif  // TIMETABLE_SERVICE_FAILURE_CLASSIFICATION_H_
