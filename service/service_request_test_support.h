#ifndef TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_
#define TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_

// For the tests, the benchmark and the fuzz targets: the part of the requests' write callback
// that keeps the bytes, and the decoding of an answer's body.
#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

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

#endif  // TIMETABLE_SERVICE_SERVICE_REQUEST_TEST_SUPPORT_H_
