#ifndef TIMETABLE_SERVICE_REQUEST_SESSION_H_
#define TIMETABLE_SERVICE_REQUEST_SESSION_H_

// Within service/: the run's one libcurl session and the options of its transfers. The requests,
// the connection probe and the log build on it; nothing outside service/ includes this.
#include <cstddef>
#include <string>

#include "service/failure_classification.h"
#include "service/proxy_choice.h"
#include "service/request_failure.h"
#include "service/service_settings.h"

// The time limits of a transfer: to connect, and for the whole request.
extern const long kConnectTimeoutSeconds;
extern const long kRequestTimeoutSeconds;

// The settings the session was started with; serviceProxy() (service_request.h) is its proxy.
const ServiceSettings& sessionSettings();
const std::string& sessionBaseUrl();

// What one transfer gave: its facts for the classification, with the body and timings.
struct Transfer {
  TransferFacts facts;
  std::string body;
  long totalMilliseconds = 0;
  long connectMilliseconds = 0;
  long tlsMilliseconds = 0;
  long retryAfterSeconds = -1;  // The answer's Retry-After, or -1 without one.
  std::string primaryAddress;
  long primaryPort = 0;
};

// Performs one transfer of url on the session's handle, with every option of a request, a body
// of at most maxBytes and the watchdog, which ends it after watchdogSeconds whatever libcurl is
// doing; connectOnly stops once the secure connection is set up (and asks for the certificate's
// fields). Never throws for a failed transfer: facts.code tells.
Transfer performTransfer(const std::string& url, size_t maxBytes, bool connectOnly,
                         long watchdogSeconds = kRequestTimeoutSeconds);

// The server certificate's subject, issuer and end of validity after a connectOnly transfer, as
// the TLS library writes them; empty when it tells none.
struct CertificateFields {
  std::string subject, issuer, expiry;
};
CertificateFields sessionCertificate();

// The failure that the facts of a transfer of url show, with the session's names filled in.
RequestFailure sessionFailure(const TransferFacts& facts, const std::string& url);

// libcurl's write callback: appends the received bytes to the std::string given as write data.
size_t appendToBody(char* data, size_t size, size_t count, void* body);

#endif  // TIMETABLE_SERVICE_REQUEST_SESSION_H_
