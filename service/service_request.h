#ifndef TIMETABLE_SERVICE_SERVICE_REQUEST_H_
#define TIMETABLE_SERVICE_SERVICE_REQUEST_H_

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

// The address every query is appended to: https, the host chosen at build time, port 9640, "/?".
extern const char* const serviceBaseUrl;
extern const char* const serviceUserAgent;
// The trusted certificate authorities, looked up in the working directory at each request.
extern const char* const caBundleFile;

// libcurl's write callback: appends the received bytes to the std::string given as write data.
size_t appendToBody(char* data, size_t size, size_t count, void* body);

// Decodes the body of an answer and returns a copy of its member "message", as below; url and
// httpStatus only serve the error message.
nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url);

// Performs one HTTPS GET of serviceBaseUrl + query and returns a copy of the answer's member
// "message": null when the answer is null or an object without that member. A failed transfer
// (curl's error text and the address), an answer that is not JSON (naming an HTTP error status)
// or JSON that is neither an object nor null is thrown as std::runtime_error.
nlohmann::json fetchServiceMessage(const std::string& query);

#endif  // TIMETABLE_SERVICE_SERVICE_REQUEST_H_
