#ifndef TIMETABLE_PRINTER_SPOOLER_H_
#define TIMETABLE_PRINTER_SPOOLER_H_

#include <memory>
#include <string>
#include <vector>

// A printer of the system's print spooler (CUPS, or Windows' spooler), which gets each job as
// raw data: the printer receives the job's bytes unchanged.
struct SpoolPrinter {
  std::string name;
  bool isDefault = false;
};

// One job under way. Its contents are the platform's own. The deleter frees the job, and first
// cancels it when it was not finished, so that no half form is left in the queue.
struct SpoolJob;
void cancelUnfinishedSpoolJob(SpoolJob* job);
using SpoolJobHandle = std::unique_ptr<SpoolJob, void (*)(SpoolJob*)>;

// The spooler's printers in its own order. A spooler that cannot be asked is thrown as
// std::runtime_error.
std::vector<SpoolPrinter> listSpoolPrinters();

// Throws std::runtime_error unless the spooler has the printer: the text names it and suggests
// --list-printers; a spooler that cannot be asked is named as such.
void requireSpoolPrinter(const std::string& printer);

// The name of the printer the spooler prints on when none is named, or empty when it has none.
// A spooler that cannot be asked is thrown as std::runtime_error.
std::string defaultSpoolPrinter();

// Throws std::runtime_error, naming --printer, when the spooler has no default printer.
void requireDefaultSpoolPrinter();

// Starts a raw job with the document name given. Failure is thrown as std::runtime_error.
SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName);

// Hands the bytes to the spooler; when this returns they are the spooler's. A failure cancels
// the job and is thrown as std::runtime_error.
void writeSpoolJob(SpoolJob& job, const std::string& bytes);

// Ends the job. A failure to end it cancels it and is thrown as std::runtime_error. Where the
// spooler can tell (CUPS, not Windows), waits a few seconds for the job's end: a job that it
// aborted or cancelled, or that still waits by then (pending, held, stopped), gives a warning
// text, one line naming the job as PRINTER-ID and what the spooler says of it and its printer;
// a job completed or still being printed gives an empty result.
std::string finishSpoolJob(SpoolJob& job);

#endif  // TIMETABLE_PRINTER_SPOOLER_H_
