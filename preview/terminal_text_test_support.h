#ifndef TIMETABLE_PREVIEW_TERMINAL_TEXT_TEST_SUPPORT_H_
#define TIMETABLE_PREVIEW_TERMINAL_TEXT_TEST_SUPPORT_H_

// For the tests and the fuzz target: the text of several pages at once.
#include <string>
#include <vector>

#include "preview/printed_page.h"
#include "preview/terminal_text.h"

// The pages' texts one after the other, each as terminalTextOfPage gives it.
inline std::string terminalText(const std::vector<PrintedPage>& pages, bool bold) {
  std::string text;
  for (const PrintedPage& page : pages) text += terminalTextOfPage(page, bold);
  return text;
}

#endif  // TIMETABLE_PREVIEW_TERMINAL_TEXT_TEST_SUPPORT_H_
