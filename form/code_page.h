#ifndef TIMETABLE_FORM_CODE_PAGE_H_
#define TIMETABLE_FORM_CODE_PAGE_H_

#include <string>

// The Unicode character that code page 852 assigns to each byte from 0x80 to 0xFF.
extern const char16_t kCodePage852High[128];

// Replaces every occurrence of pattern, left to right and without looking into a replacement
// just inserted. An empty pattern leaves the text as it is.
std::wstring replaceAll(std::wstring text, const std::wstring& pattern,
                        const std::wstring& replacement);

// Turns service or console text into printer code: every character becomes the code page 852
// byte of the same character, "|" becomes " - ", and control characters and characters that
// code page 852 lacks become "?". The result holds no value of 256 or above and no control
// character, so no text can reach the printer as a command.
std::wstring toPrinterCodePage(std::wstring text);

#endif  // TIMETABLE_FORM_CODE_PAGE_H_
