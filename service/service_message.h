#ifndef TIMETABLE_SERVICE_SERVICE_MESSAGE_H_
#define TIMETABLE_SERVICE_SERVICE_MESSAGE_H_

// The member "message" of the service's answers, read within bounds.
#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "service/service_request.h"

// The deepest nesting of arrays and objects taken in an answer; the service's answers are four
// deep. A deeper answer is refused while it is read, before it can take the stack or the memory.
extern const int kMaxAnswerDepth;

// Decodes the body of an answer and returns a copy of its member "message": null when the answer
// is null or an object without that member. An answer that is not one JSON text (kNotJson, with
// its HTTP status), JSON that is neither an object nor null (kNotAnObject), or JSON nested deeper
// than kMaxAnswerDepth (kTooDeep, as soon as the reader reaches that depth) is thrown as
// RequestFailed, of the kind answerFailureKind gives the status; url, httpStatus and tries only
// serve that failure. Reading takes time linear in the body's length.
nlohmann::json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url,
                                int tries = 1);

// fetchServiceAnswer, then serviceMessageOf its answer.
nlohmann::json fetchServiceMessage(const std::string& query, size_t maxBytes = kMaxAnswerBytes);

#endif  // TIMETABLE_SERVICE_SERVICE_MESSAGE_H_
