#ifndef TIMETABLE_PLATFORM_WIDE_TEXT_TEST_SUPPORT_H_
#define TIMETABLE_PLATFORM_WIDE_TEXT_TEST_SUPPORT_H_

#include <initializer_list>
#include <string>

// Wide text of the character values given, for expectations that name characters by number.
inline std::wstring codes(std::initializer_list<unsigned> values) {
  std::wstring text;
  for (unsigned value : values) text += static_cast<wchar_t>(value);
  return text;
}

#endif  // TIMETABLE_PLATFORM_WIDE_TEXT_TEST_SUPPORT_H_
