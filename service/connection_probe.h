#ifndef TIMETABLE_SERVICE_CONNECTION_PROBE_H_
#define TIMETABLE_SERVICE_CONNECTION_PROBE_H_

// For --check: opening a connection to the service as a request does, and no further than TLS.
#include <optional>
#include <string>

#include "service/request_failure.h"

// What opening a connection to the service showed: the name resolved, the proxy, the TCP
// connection and TLS, with the same options (and watchdog) as every request.
struct ConnectionFacts {
  std::optional<RequestFailure> failure;  // Where and why it stopped; none when TLS was set up.
  std::string address;  // The address connected to: the service's, or the proxy's; may be empty.
  long port = 0;
  long connectMilliseconds = 0;  // From the start to the TCP connection.
  long tlsMilliseconds = 0;      // From the start to the end of the TLS handshake.
  std::string subject;           // The server certificate's subject and issuer, as the TLS
  std::string issuer;            // library writes them, and the end of its validity as
  std::string expiry;            // certificateDateText gives it; empty when it tells none.
};

// Opens a connection to the service as a request does, and goes no further than TLS.
ConnectionFacts checkServiceConnection();

// A certificate's date as OpenSSL ("Jan  8 18:22:00 2027 GMT") or libcurl's own reader for
// Schannel ("2027-01-08 18:22:00 GMT") writes it, as "2027-01-08 18:22 UTC", the same in every
// language; the text as it is when it is neither.
std::string certificateDateText(const std::string& date);

#endif  // TIMETABLE_SERVICE_CONNECTION_PROBE_H_
