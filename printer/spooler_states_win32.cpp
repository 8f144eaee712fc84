// The states Windows' spooler keeps of a printer and of a job (PRINTER_INFO_2's and JOB_INFO_1's
// status bits), in the user's words, and the watch of a job handed over. The bits themselves go
// to the support log.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_win32.h"

namespace {

// How long a job handed over is watched, and how often it is asked about meanwhile.
const auto kJobWatch = std::chrono::milliseconds(2000);
const auto kJobWatchPoll = std::chrono::milliseconds(100);

// The printer states that keep a job from printing, in the order they are named.
const DWORD kPrinterStops[] = {
    PRINTER_STATUS_OFFLINE,       PRINTER_STATUS_PAUSED,           PRINTER_STATUS_PAPER_OUT,
    PRINTER_STATUS_ERROR,         PRINTER_STATUS_PAPER_JAM,        PRINTER_STATUS_PAPER_PROBLEM,
    PRINTER_STATUS_MANUAL_FEED,   PRINTER_STATUS_OUTPUT_BIN_FULL,  PRINTER_STATUS_NO_TONER,
    PRINTER_STATUS_DOOR_OPEN,     PRINTER_STATUS_OUT_OF_MEMORY,    PRINTER_STATUS_USER_INTERVENTION,
    PRINTER_STATUS_NOT_AVAILABLE, PRINTER_STATUS_PENDING_DELETION,
};
const DWORD kJobStops[] = {JOB_STATUS_PAUSED, JOB_STATUS_ERROR, JOB_STATUS_BLOCKED_DEVQ,
                           JOB_STATUS_USER_INTERVENTION};

// What a printer status bit says of the printer, after "which".
const char* printerStateWords(DWORD bit) {
  switch (bit) {
    case PRINTER_STATUS_OFFLINE:
      return translateInContext("printer", "is offline");
    case PRINTER_STATUS_PAUSED:
      return translateInContext("printer", "is paused");
    case PRINTER_STATUS_PAPER_OUT:
      return translateInContext("printer", "is out of paper");
    case PRINTER_STATUS_ERROR:
      return translateInContext("printer", "is in error");
    case PRINTER_STATUS_PAPER_JAM:
      return translateInContext("printer", "has a paper jam");
    case PRINTER_STATUS_PAPER_PROBLEM:
      return translateInContext("printer", "has a paper problem");
    case PRINTER_STATUS_MANUAL_FEED:
      return translateInContext("printer", "waits for paper fed by hand");
    case PRINTER_STATUS_OUTPUT_BIN_FULL:
      return translateInContext("printer", "has its output bin full");
    case PRINTER_STATUS_NO_TONER:
      return translateInContext("printer", "is out of toner");
    case PRINTER_STATUS_DOOR_OPEN:
      return translateInContext("printer", "has its door open");
    case PRINTER_STATUS_OUT_OF_MEMORY:
      return translateInContext("printer", "is out of memory");
    case PRINTER_STATUS_USER_INTERVENTION:
      return translateInContext("printer", "needs someone to look at it");
    case PRINTER_STATUS_NOT_AVAILABLE:
      return translateInContext("printer", "is not available");
    default:
      return translateInContext("printer", "is being deleted");
  }
}

// What a job status bit says of the job, after "its job".
const char* jobStateWords(DWORD bit) {
  switch (bit) {
    case JOB_STATUS_PAUSED:
      return translateInContext("print job", "is paused");
    case JOB_STATUS_ERROR:
      return translateInContext("print job", "is in error");
    case JOB_STATUS_BLOCKED_DEVQ:
      return translateInContext("print job", "is blocked");
    default:
      return translateInContext("print job", "needs someone to look at the printer");
  }
}

// Adds the words of each bit of stops set in status that are not there yet.
template <size_t kCount>
void addWords(const DWORD (&stops)[kCount], const char* (*wordsOf)(DWORD), DWORD status,
              std::vector<std::string>& words) {
  for (DWORD bit : stops) {
    if ((status & bit) == 0) continue;
    const std::string said = wordsOf(bit);
    if (std::find(words.begin(), words.end(), said) == words.end()) words.push_back(said);
  }
}

// "a", "a and b", "a, b and c".
std::string joinWords(const std::vector<std::string>& words) {
  std::string text;
  for (size_t index = 0; index < words.size(); ++index) {
    if (index == 0) {
      text = words[index];
    } else if (index + 1 == words.size()) {
      text = formatMessage(translate("{0} and {1}"), {text, words[index]});
    } else {
      text = formatMessage(translate("{0}, {1}"), {text, words[index]});
    }
  }
  return text;
}

// The status bits as the spooler names them, for the log.
std::string statusBits(DWORD printerStatus, DWORD jobStatus) {
  char text[64];
  std::snprintf(text, sizeof text, "printer status 0x%08lx, job status 0x%08lx",
                static_cast<unsigned long>(printerStatus), static_cast<unsigned long>(jobStatus));
  return text;
}

}  // namespace

std::string spoolStateWarning(const std::string& printer, DWORD id, DWORD printerStatus,
                              DWORD jobStatus) {
  const std::string job = spoolJobName(printer, id);
  const bool printed = (jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0;
  if (printed) return std::string();
  if ((jobStatus & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0) {
    return formatMessage(translate("the form was deleted from the queue of {0} before it printed; "
                                   "print it again: print job {1}"),
                         {printer, job});
  }
  // A job's own offline and out-of-paper bits tell of its printer, so they are said of it.
  const DWORD jobPrinterStatus = ((jobStatus & JOB_STATUS_OFFLINE) ? PRINTER_STATUS_OFFLINE : 0) |
                                 ((jobStatus & JOB_STATUS_PAPEROUT) ? PRINTER_STATUS_PAPER_OUT : 0);
  std::vector<std::string> printerWords;
  addWords(kPrinterStops, printerStateWords, printerStatus | jobPrinterStatus, printerWords);
  std::vector<std::string> jobWords;
  addWords(kJobStops, jobStateWords, jobStatus, jobWords);
  if (printerWords.empty() && jobWords.empty()) return std::string();
  if (jobWords.empty()) {
    return formatMessage(translate("the form waits in the queue of {0}, which {1}; it prints once "
                                   "the printer is ready: print job {2}"),
                         {printer, joinWords(printerWords), job});
  }
  if (printerWords.empty()) {
    return formatMessage(translate("the form waits in the queue of {0}, where its job {1}; it "
                                   "prints once the job is resumed or restarted in the queue: "
                                   "print job {2}"),
                         {printer, joinWords(jobWords), job});
  }
  return formatMessage(translate("the form waits in the queue of {0}, which {1}, and its job {2}; "
                                 "it prints once the printer is ready and the job is resumed or "
                                 "restarted: print job {3}"),
                       {printer, joinWords(printerWords), joinWords(jobWords), job});
}

namespace {

// The status bits the spooler keeps of the printer (0 when it cannot tell).
DWORD printerStatusOf(HANDLE printer) {
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  while (!GetPrinterW(printer, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return 0;
    buffer.resize(needed);
  }
  return reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())->Status;
}

// The status bits the spooler keeps of the job; false when the job is no longer in the queue:
// printed, or handed on to another spooler (wine's hands its jobs to CUPS).
bool jobStatusOf(HANDLE printer, DWORD id, DWORD& status) {
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  while (!GetJobW(printer, id, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
    buffer.resize(needed);
  }
  status = reinterpret_cast<const JOB_INFO_1W*>(buffer.data())->Status;
  return true;
}

}  // namespace

std::string watchHandedOverJob(const std::string& printer, DWORD id) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (!OpenPrinterW(&name[0], &handle, nullptr)) {
    return formatMessage(translate("the print spooler cannot tell whether it printed print job "
                                   "{0}; look at the printer's queue in the system's printer "
                                   "settings: {1}"),
                         {spoolJobName(printer, id), systemMessage(GetLastError())});
  }
  const std::unique_ptr<void, decltype(&ClosePrinter)> owned(handle, ClosePrinter);
  return watchQueueStates(
      printer, id,
      [handle, id] {
        QueueState state;
        state.queued = jobStatusOf(handle, id, state.jobStatus);
        state.printerStatus = printerStatusOf(handle);
        return state;
      },
      kJobWatch, kJobWatchPoll);
}

std::string watchQueueStates(const std::string& printer, DWORD id, const QueueReader& read,
                             std::chrono::milliseconds watch, std::chrono::milliseconds poll) {
  const auto deadline = std::chrono::steady_clock::now() + watch;
  for (;;) {
    // A job no longer in the queue is told of by its printer alone: a stopped printer holds
    // what was handed on to the spooler behind it.
    const QueueState state = read();
    const std::string warning =
        spoolStateWarning(printer, id, state.printerStatus, state.queued ? state.jobStatus : 0);
    if (!warning.empty()) {
      logLine("print job " + spoolJobName(printer, id) + ": " +
              statusBits(state.printerStatus, state.jobStatus));
      return warning;
    }
    if (!state.queued || (state.jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0) {
      return std::string();
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::string();
    std::this_thread::sleep_for(poll);
  }
}

SpoolPrinterState spoolPrinterState(const std::string& printer) {
  const std::unique_ptr<void, decltype(&ClosePrinter)> handle(openPrinter(printer), ClosePrinter);
  const DWORD status = printerStatusOf(handle.get());
  SpoolPrinterState state;
  std::vector<std::string> words;
  addWords(kPrinterStops, printerStateWords, status, words);
  state.ready = words.empty();
  if (!words.empty()) {
    state.words =
        formatMessage(translateInContext("printer state", "the printer {0}"), {joinWords(words)});
  }
  state.raw = statusBits(status, 0);
  logLine("printer " + printer + ": " + state.raw);
  return state;
}
