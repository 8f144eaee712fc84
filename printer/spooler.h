#ifndef TIMETABLE_PRINTER_SPOOLER_H_
#define TIMETABLE_PRINTER_SPOOLER_H_

#include <memory>
#include <string>
#include <vector>

// A printer of the system's print spooler (CUPS, or Windows' spooler). The jobs started here are
// raw data: the printer receives the job's bytes unchanged. Drawn pages, for printers of any
// kind, go through printer/page_printer.h.
struct SpoolPrinter {
  std::string name;
  bool isDefault = false;
};

// One job under way. Its contents are the platform's own. The deleter frees the job, and first
// cancels it when it was not finished, so that no half form is left in the queue. An interrupt
// of the run (platform/interrupt.h) cancels it too while it is open, that is from its start
// until finishSpoolJob has handed it over.
struct SpoolJob;
void cancelUnfinishedSpoolJob(SpoolJob* job);
using SpoolJobHandle = std::unique_ptr<SpoolJob, void (*)(SpoolJob*)>;

// The spooler's printers in its own order. With CUPS on this machine these include printers it
// found on the network that have no queue yet. A spooler that cannot be asked is thrown as
// std::runtime_error.
std::vector<SpoolPrinter> listSpoolPrinters();

// Whether the spooler has the printer, as a queue or as one that listSpoolPrinters shows; a
// spooler that cannot be asked is thrown as std::runtime_error naming it as such.
bool hasSpoolPrinter(const std::string& printer);

// The name of the printer the spooler prints on when none is named, or empty when it has none.
// A spooler that cannot be asked is thrown as std::runtime_error.
std::string defaultSpoolPrinter();

// The name of the spooler's default printer; when it has none, std::runtime_error is thrown with
// noneError, or when that is empty a text that says so.
std::string requireDefaultSpoolPrinter(const std::string& noneError);

// What the spooler says of a printer: whether it can print now, and if not why, in the user's
// words ("the printer is stopped; out of paper ("...")"). The spooler's own names of the state
// go to the support log, and into raw.
struct SpoolPrinterState {
  bool ready = true;
  std::string words;
  std::string raw;
};

// The printer's state; a printer the spooler has not made a queue for yet (CUPS: one found on the
// network) is taken as ready. A spooler that cannot be asked is thrown as std::runtime_error.
SpoolPrinterState spoolPrinterState(const std::string& printer);

// Starts a raw job with the document name given, on any printer that listSpoolPrinters shows:
// CUPS first makes a temporary queue for a printer found on the network. Failure is thrown as
// std::runtime_error.
SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName);

// Hands the bytes to the spooler; when this returns they are the spooler's. A failure cancels
// the job and is thrown as std::runtime_error.
void writeSpoolJob(SpoolJob& job, const std::string& bytes);

// Ends the job: once this returns the job is handed over, and no interrupt cancels it any more.
// A failure to end it cancels it and is thrown as std::runtime_error.
//
// The job is then watched for about 2 seconds, and its outcome is one line of warning text, or
// empty:
// - completed (on Windows: printed, or gone from the queue of a printer that is not stopped), or
//   waiting or printing on a printer that is not stopped: empty: at once when completed, else
//   after the 2 seconds. A printer takes a minute or more for a form, and other jobs may be
//   before it; the program does not wait for them. On Windows a job gone from the queue of a
//   stopped printer gives that printer's warning, as below: the printer holds what the spooler
//   handed on to it.
// - seen within the 2 seconds: on CUPS a job aborted, cancelled or held, or its printer stopped,
//   named as QUEUE-ID with what the spooler says of it and of its printer; on Windows a printer
//   offline, paused, out of paper or in error (and the like), or a job in error, paused or
//   deleted, named with the printer and the state: a warning at once.
// - a spooler that cannot tell: a warning saying so.
std::string finishSpoolJob(SpoolJob& job);

#endif  // TIMETABLE_PRINTER_SPOOLER_H_
