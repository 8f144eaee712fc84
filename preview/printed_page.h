#ifndef TIMETABLE_PREVIEW_PRINTED_PAGE_H_
#define TIMETABLE_PREVIEW_PRINTED_PAGE_H_

#include <cstddef>
#include <string>
#include <vector>

// One character as the printer puts it on paper.
struct PrintedCharacter {
  char32_t character = U' ';
  bool bold = false;
  bool doubleHeight = false;
  bool subscript = false;
};

using PrintedLine = std::vector<PrintedCharacter>;

// What lies on one sheet: the lines from the top of the form to a form feed (or to the end of
// the stream), up to the last one that has anything printed on it.
struct PrintedPage {
  std::vector<PrintedLine> lines;
  bool endsInFormFeed = false;
};

// The Unicode character of a code page 852 byte.
char32_t unicodeOfCodePage852(unsigned char byte);

// How many skipped printer commands are named one by one in the warnings of one stream.
const size_t kMaxSkippedCommandWarnings = 10;

// Interprets a printer byte stream the way the printer does: code page 852 characters on a grid
// of columns and lines, ESC E / ESC F bold, ESC w n double height, ESC S n / ESC T subscript, CR
// back to column 0, LF to the start of the next line, FF to the next page. Any other ESC sequence
// is skipped, with one warning naming its bytes added to warnings, up to
// kMaxSkippedCommandWarnings; one more warning then counts the rest, so that a file that is not
// printer output cannot flood the warnings. Other control bytes print nothing. A stream that does
// not end in a form feed still gives its last page.
std::vector<PrintedPage> interpretPrinterBytes(const std::string& bytes,
                                               std::vector<std::string>& warnings);

#endif  // TIMETABLE_PREVIEW_PRINTED_PAGE_H_
