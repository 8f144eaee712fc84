#ifndef TIMETABLE_PLATFORM_UTF8_H_
#define TIMETABLE_PLATFORM_UTF8_H_

#include <string>

// Converts UTF-8 text, as received from the service or typed at the console, into wide text.
// Ill-formed bytes become U+FFFD, one for each maximal ill-formed subsequence; an empty text
// gives an empty result. Each platform supplies its own implementation.
std::wstring utf8ToWide(const std::string& text);

// Converts wide text into UTF-8, for messages that name a typed word. A wide character that is
// no Unicode character (a lone surrogate, a value beyond U+10FFFF) becomes U+FFFD.
std::string wideToUtf8(const std::wstring& text);

#endif  // TIMETABLE_PLATFORM_UTF8_H_
