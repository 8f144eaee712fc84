#ifndef TIMETABLE_PREVIEW_PRINTED_PAGE_TEST_SUPPORT_H_
#define TIMETABLE_PREVIEW_PRINTED_PAGE_TEST_SUPPORT_H_

// For the tests and the fuzz target: a whole stream interpreted at once.
#include <string>
#include <vector>

#include "preview/printed_page.h"

// The pages of the whole stream, interpreted as interpretPrinterPages does.
inline std::vector<PrintedPage> interpretPrinterBytes(const std::string& bytes,
                                                      std::vector<std::string>& warnings) {
  std::vector<PrintedPage> pages;
  interpretPrinterPages(printerBytesOf(bytes)(), kNoLineLimit, warnings,
                        [&pages](const PrintedPage& page) {
                          pages.push_back(page);
                          return true;
                        });
  return pages;
}

#endif  // TIMETABLE_PREVIEW_PRINTED_PAGE_TEST_SUPPORT_H_
