#ifndef TIMETABLE_PREVIEW_PRINTED_PAGE_H_
#define TIMETABLE_PREVIEW_PRINTED_PAGE_H_

#include <cstddef>
#include <functional>
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

// Reads the next printer bytes into buffer, at most size of them, and returns how many; 0 at the
// end. A read error is thrown as std::runtime_error.
using PrinterByteReader = std::function<size_t(char* buffer, size_t size)>;

// Printer bytes that can be read more than once: each call gives a reader from the first byte.
using PrinterBytes = std::function<PrinterByteReader()>;

// The bytes of a text in memory, which must outlive the readers.
PrinterBytes printerBytesOf(const std::string& bytes);

// Takes each page as soon as it is complete; false stops the interpretation.
using PrintedPageSink = std::function<bool(const PrintedPage& page)>;

// The Unicode character of a code page 852 byte.
char32_t unicodeOfCodePage852(unsigned char byte);

// How many skipped printer commands are named one by one in the warnings of one stream.
const size_t kMaxSkippedCommandWarnings = 10;

// A line limit that never stops the interpretation.
const size_t kNoLineLimit = static_cast<size_t>(-1);

// Interprets a printer byte stream the way the printer does: code page 852 characters on a grid
// of columns and lines, ESC E / ESC F bold, ESC w n double height, ESC S n / ESC T subscript, CR
// back to column 0, LF to the start of the next line, FF to the next page. Any other ESC command
// is skipped with its parameters where their length is known (printed_page.cpp names those
// commands), or else the ESC and the command byte alone, with one warning naming its bytes
// added to warnings, up to kMaxSkippedCommandWarnings; one more warning then counts the rest, so
// that a file that is not printer output cannot flood the warnings. Other control bytes print
// nothing. A stream that does not end in a form feed still gives its last page.
//
// Each page goes to onPage as soon as it is complete, so that memory holds one page whatever
// the number of pages. Returns false, handing over nothing more, when onPage returns false or
// when a character would lie on a line of a page beyond its first lineLimit lines, so that no
// page grows without bound either.
bool interpretPrinterPages(const PrinterByteReader& read, size_t lineLimit,
                           std::vector<std::string>& warnings, const PrintedPageSink& onPage);

#endif  // TIMETABLE_PREVIEW_PRINTED_PAGE_H_
