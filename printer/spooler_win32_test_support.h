#ifndef TIMETABLE_PRINTER_SPOOLER_WIN32_TEST_SUPPORT_H_
#define TIMETABLE_PRINTER_SPOOLER_WIN32_TEST_SUPPORT_H_

// For the tests: the watch of a job handed over, on states that the test gives it over time, as
// wine's spooler cannot show them.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

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

#endif  // TIMETABLE_PRINTER_SPOOLER_WIN32_TEST_SUPPORT_H_
