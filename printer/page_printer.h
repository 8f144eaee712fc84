#ifndef TIMETABLE_PRINTER_PAGE_PRINTER_H_
#define TIMETABLE_PRINTER_PAGE_PRINTER_H_

#include <string>
#include <vector>

// Prints the form of the printer bytes drawn as pages, one A4 sheet a page, placed on the paper
// as the PDF of -o form.pdf shows them, as one job with the document name given on the named
// printer of the system's spooler, for printers of any kind. A failure is thrown as
// std::runtime_error, and no part of the job is left in the queue. Returns the warnings to show:
// printer commands the drawing skipped, a job the spooler did not print.
std::vector<std::string> printDrawnPages(const std::string& printer,
                                         const std::string& documentName,
                                         const std::string& printerBytes);

#endif  // TIMETABLE_PRINTER_PAGE_PRINTER_H_
