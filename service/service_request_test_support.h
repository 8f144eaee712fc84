#ifndef TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_
#define TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_

// For the tests: the part of the requests' write callback that keeps the bytes.
#include <cstddef>
#include <string>

// libcurl's write callback: appends the received bytes to the std::string given as write data.
size_t appendToBody(char* data, size_t size, size_t count, void* body);

// Why the server's certificate was refused, from the TLS library's verification result and
// libcurl's text.
enum class CertificateFault { kNotTrusted, kExpired, kOtherName };
CertificateFault certificateFaultOf(long verifyResult, const std::string& reason);

#endif  // TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_
