#ifndef TIMETABLE_JSON_JSON_NUMBER_H_
#define TIMETABLE_JSON_JSON_NUMBER_H_

#include <cstdint>
#include <nlohmann/json.hpp>

// Reads a JSON number as a 32-bit integer, a fraction truncated toward zero. Anything that is
// not a number, or a number outside the 32-bit range, gives false and leaves result unchanged.
bool readInt32(const nlohmann::json& value, int32_t& result);

#endif  // TIMETABLE_JSON_JSON_NUMBER_H_
