#ifndef TIMETABLE_PRINTER_SPOOLER_CUPS_H_
#define TIMETABLE_PRINTER_SPOOLER_CUPS_H_

#include <string>

#include "printer/spooler.h"

// CUPS only: starts a job whose document has the MIME type given (CUPS_FORMAT_RAW for the
// printer's own bytes, CUPS_FORMAT_PDF for drawn pages, which the queue's driver prints on any
// printer). Otherwise as startSpoolJob.
SpoolJobHandle startSpoolJobOfFormat(const std::string& printer, const std::string& documentName,
                                     const char* format);

#endif  // TIMETABLE_PRINTER_SPOOLER_CUPS_H_
