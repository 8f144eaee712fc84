#ifndef TIMETABLE_PLATFORM_UTF8_H_
#define TIMETABLE_PLATFORM_UTF8_H_

#include <string>

// Converts UTF-8 text, as received from the service or typed at the console, into wide text.
// Ill-formed bytes become U+FFFD, one for each maximal ill-formed subsequence; an empty text
// gives an empty result. Each platform supplies its own implementation.
std::wstring utf8ToWide(const std::string& text);

#endif  // TIMETABLE_PLATFORM_UTF8_H_
