#ifndef TIMETABLE_FORM_FORM_TEXT_H_
#define TIMETABLE_FORM_FORM_TEXT_H_

#include <string>
#include <vector>

// The headings of the head's fields, in Unicode: the head prints them in printer code, and a
// warning names a field by them.
extern const wchar_t kStationHeading[];  // "Stacja"
extern const wchar_t kHoursHeading[];    // "Godzina"
extern const wchar_t kLok1Heading[];     // "LOK1"
extern const wchar_t kLok2Heading[];     // "LOK2"
extern const wchar_t kLok3Heading[];     // "LOK3"
extern const wchar_t kMassHeading[];     // "Brutto"
extern const wchar_t kLengthHeading[];   // "Dł.Poc.": the train's length
extern const wchar_t kSpeedHeading[];    // "Vmax"

// The constant top of the form: its upper edge and the five lines of column headings, in
// printer code, 550 characters in six lines.
extern const std::wstring formHead;
// The closing rule of the last stop block and a form feed, 86 characters.
extern const std::wstring formFoot;

// The foot of a form that carries marks, which must not be missed: the closing rule, then each
// mark on a line of its own, in bold, in the order given, then the form feed. Without marks it is
// formFoot. The marks are given in Unicode and come out in printer code, as the rows do.
std::wstring markedFormFoot(const std::vector<std::wstring>& marks);

// The mark of a form whose stop table left rows out, which must not look whole: that the form is
// incomplete and which stops it lacks (the one name, or the first and the last). In Polish, as the
// rest of the form.
std::wstring incompleteFormMark(int rowsLeftOut, const std::wstring& firstName,
                                const std::wstring& lastName);

// The mark of a form printed from a copy of the timetable kept earlier, which must not pass for a
// fresh one: when the copy was fetched (fetchedUtc as "2026-12-10 04:10") and that the service
// could not be used.
std::wstring copyFormMark(const std::wstring& fetchedUtc);

#endif  // TIMETABLE_FORM_FORM_TEXT_H_
