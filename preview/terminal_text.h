#ifndef TIMETABLE_PREVIEW_TERMINAL_TEXT_H_
#define TIMETABLE_PREVIEW_TERMINAL_TEXT_H_

#include <string>
#include <vector>

#include "preview/printed_page.h"

// The page as UTF-8 text, one text line per printed line; a page ended by a form feed keeps it
// after its last line. With bold set, bold characters are set off by the terminal's bold on and
// off sequences; double height and subscript are not shown.
std::string terminalTextOfPage(const PrintedPage& page, bool bold);

// UTF-8 of one character.
std::string utf8Of(char32_t character);

#endif  // TIMETABLE_PREVIEW_TERMINAL_TEXT_H_
