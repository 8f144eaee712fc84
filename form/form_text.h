#ifndef TIMETABLE_FORM_FORM_TEXT_H_
#define TIMETABLE_FORM_FORM_TEXT_H_

#include <string>

// The constant top of the form: its upper edge and the five lines of column headings, in
// printer code, 550 characters in six lines.
extern const std::wstring formHead;
// The closing rule of the last stop block and a form feed, 86 characters.
extern const std::wstring formFoot;

#endif  // TIMETABLE_FORM_FORM_TEXT_H_
