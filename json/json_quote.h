#ifndef TIMETABLE_JSON_JSON_QUOTE_H_
#define TIMETABLE_JSON_JSON_QUOTE_H_

#include <nlohmann/json.hpp>
#include <string>

// A value from the service as JSON text for a message: strings quoted and escaped, so that it
// stays on one line, and short whatever the value holds. About kQuotedBytes (platform/messages.h)
// of its text and three levels of arrays and objects are shown; kLeftOut stands for the rest. The
// work is as bounded as the text: a long list or a deep one is not walked further.
std::string quotedJson(const nlohmann::json& value);

// A text from the service or the user (a stop's name, a typed word) for the words of a message:
// escaped, and cut where no escape is split, within what quoted() keeps, between the quotation
// marks of the user's language.
std::string quotedInMessage(const std::string& text);

#endif  // TIMETABLE_JSON_JSON_QUOTE_H_
