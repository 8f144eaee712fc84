#ifndef TIMETABLE_PLATFORM_TEXT_CASE_H_
#define TIMETABLE_PLATFORM_TEXT_CASE_H_

#include <string>

// Host names, list entries and setting values compare without regard to case, and only ASCII
// letters have one there: the locale's rules (a Turkish dotless i) must not change a match.

// The text with its ASCII letters in lower case.
std::string lowerCase(std::string text);

// Whether a and b are the same text but for the case of ASCII letters.
bool sameIgnoringCase(const std::string& a, const std::string& b);

#endif  // TIMETABLE_PLATFORM_TEXT_CASE_H_
