#ifndef TIMETABLE_PRINTER_SPOOLER_WIN32_H_
#define TIMETABLE_PRINTER_SPOOLER_WIN32_H_

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What the jobs, states and listings of Windows' spooler share (spooler_requests_win32.cpp).

// A failure of the spooler's service itself is told as such. what holds the arguments' places,
// then one more for the system's message.
[[noreturn]] void failSpooler(const char* what, std::vector<std::string> arguments, DWORD error);

// The error of a printer that cannot be opened: {0} the printer, {1} the system's reason.
const char* cannotOpenPrinterText();

// Opens the printer for printing; a missing one is told as such (failNoPrinter).
HANDLE openPrinter(const std::string& printer);

// The spooler's default printer, or empty when it has none.
std::wstring defaultPrinterName();

// Windows only: deletes the job of the printer through a handle of its own, for an interrupt of
// the run, whose handler runs on a thread of its own while the job's own handle or device
// context may be in the middle of a write.
void deleteJobOnOwnHandle(const std::string& printer, DWORD id);

// Watches a job handed over to the printer's queue for about 2 seconds, as the CUPS side does,
// and returns one line of warning text, or empty: a warning at once when the printer or the job
// is in a state that stops it (spoolStateWarning), also when the job has left the queue, since a
// stopped printer holds what the spooler handed on to it; else empty at once when the job has
// printed or left the queue, or after the 2 seconds while it waits on a printer that is ready.
std::string watchHandedOverJob(const std::string& printer, DWORD id);

// The warning for a job in the printer's queue, from the status bits of the printer
// (PRINTER_INFO_2's Status) and of the job (JOB_INFO_1's Status), naming the printer and the
// state: "the form waits in the queue of Office, which is offline; ...". Empty when neither
// stops the job: it is printing, waiting its turn or done.
std::string spoolStateWarning(const std::string& printer, DWORD id, DWORD printerStatus,
                              DWORD jobStatus);

// What one look at the queue finds: the printer's status bits, and whether the job is still in
// the queue, with its status bits then.
struct QueueState {
  DWORD printerStatus = 0;
  bool queued = false;
  DWORD jobStatus = 0;
};
using QueueReader = std::function<QueueState()>;

// watchHandedOverJob's loop: looks at the queue through read at once and then every poll, until
// a look finds a warning (spoolStateWarning) or the job done or gone, or watch has passed.
std::string watchQueueStates(const std::string& printer, DWORD id, const QueueReader& read,
                             std::chrono::milliseconds watch, std::chrono::milliseconds poll);

#endif  // TIMETABLE_PRINTER_SPOOLER_WIN32_H_
