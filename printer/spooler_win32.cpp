// The print spooler is Windows' own, through winspool. Printer and document names are UTF-8
// in the rest of the program and UTF-16 here. A job handed over is watched for a moment through
// the status bits the spooler keeps of it and of its printer.
#include "printer/spooler_win32.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/interrupt.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"

struct SpoolJob {
  HANDLE printer = nullptr;
  std::string printerName;
  DWORD id = 0;
  bool open = false;         // the document is started, and neither ended nor aborted
  int interruptCleanup = 0;  // deletes the job on an interrupt while it is open
};

namespace {

// The largest piece handed to WritePrinter at once, well within its DWORD count.
const size_t kLargestWrite = 1 << 20;

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

// A failure of the spooler's service itself is told as such. what holds the arguments' places,
// then one more for the system's message.
[[noreturn]] void failSpooler(const char* what, std::vector<std::string> arguments, DWORD error) {
  if (error == RPC_S_SERVER_UNAVAILABLE) {
    throw std::runtime_error(
        formatMessage(translate("the print spooler cannot be reached; check that the Print Spooler "
                                "service is running, or ask the IT department: {0}"),
                      {systemMessage(error)}));
  }
  arguments.push_back(systemMessage(error));
  throw std::runtime_error(formatMessage(what, arguments));
}

// Opens the printer for printing; a missing one is told as such.
HANDLE openPrinter(const std::string& printer) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (!OpenPrinterW(&name[0], &handle, nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) failNoPrinter(printer);
    failSpooler(translate("the print spooler cannot open the printer \"{0}\"; print again, or "
                          "check the printer in the system\'s printer settings: {1}"),
                {printer}, error);
  }
  return handle;
}

std::string jobName(const SpoolJob& job) { return spoolJobName(job.printerName, job.id); }

void forgetInterruptCleanup(SpoolJob& job) {
  if (job.interruptCleanup != 0) removeInterruptCleanup(job.interruptCleanup);
  job.interruptCleanup = 0;
}

// Aborts the job. Its printer handle is then left open: wine's AbortPrinter does nothing and its
// ClosePrinter prints what was spooled, while Windows drops the handle when the process ends.
void abortJob(SpoolJob& job) {
  if (job.open) {
    AbortPrinter(job.printer);
  } else if (job.printer) {
    ClosePrinter(job.printer);
  }
  job.open = false;
  job.printer = nullptr;
  forgetInterruptCleanup(job);
}

// Aborts the job and throws the error with what failed.
// what holds {0} for the job's name and {1} for the system's message.
[[noreturn]] void failJob(SpoolJob& job, const char* what) {
  const DWORD error = GetLastError();
  const std::string name = jobName(job);
  abortJob(job);
  failSpooler(what, {name}, error);
}

std::wstring defaultPrinterName() {
  DWORD size = 0;
  GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return std::wstring();  // no default printer
  std::wstring name(size, L'\0');
  if (!GetDefaultPrinterW(&name[0], &size)) return std::wstring();
  name.resize(wcsnlen(name.c_str(), name.size()));
  return name;
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
    if (!warning.empty()) return warning;
    if (!state.queued || (state.jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0) {
      return std::string();
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::string();
    std::this_thread::sleep_for(poll);
  }
}

void deleteJobOnOwnHandle(const std::string& printer, DWORD id) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (!OpenPrinterW(&name[0], &handle, nullptr)) return;
  SetJobW(handle, id, 0, nullptr, JOB_CONTROL_DELETE);
  ClosePrinter(handle);
}

void cancelUnfinishedSpoolJob(SpoolJob* job) {
  abortJob(*job);
  delete job;
}

std::vector<SpoolPrinter> listSpoolPrinters() {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  DWORD count = 0;
  // The list may grow between asking for its size and fetching it.
  while (!EnumPrintersW(flags, nullptr, 4, buffer.data(), static_cast<DWORD>(buffer.size()),
                        &needed, &count)) {
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
      failSpooler(cannotListPrintersText(), {}, error);
    }
    buffer.resize(needed);
  }
  const std::wstring defaultName = defaultPrinterName();
  const auto* infos = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  std::vector<SpoolPrinter> printers;
  for (DWORD index = 0; index < count; ++index) {
    const std::wstring name = infos[index].pPrinterName ? infos[index].pPrinterName : L"";
    printers.push_back(SpoolPrinter{utf8FromWide(name), name == defaultName});
  }
  return printers;
}

std::string defaultSpoolPrinter() { return utf8FromWide(defaultPrinterName()); }

void requireSpoolPrinter(const std::string& printer) { ClosePrinter(openPrinter(printer)); }

SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName) {
  SpoolJobHandle job(new SpoolJob, cancelUnfinishedSpoolJob);
  job->printerName = printer;
  job->printer = openPrinter(printer);
  std::wstring document = utf8ToWide(documentName);
  std::wstring datatype = L"RAW";
  DOC_INFO_1W info = {};
  info.pDocName = &document[0];
  info.pDatatype = &datatype[0];
  // The job and its deletion on an interrupt start together.
  DWORD error = ERROR_SUCCESS;
  holdInterrupts([&job, &info, &error] {
    job->id = StartDocPrinterW(job->printer, 1, reinterpret_cast<BYTE*>(&info));
    if (job->id == 0) {
      error = GetLastError();
      return;
    }
    logLine("spooler job " + std::to_string(job->id) + " on the printer " + job->printerName);
    job->open = true;
    job->interruptCleanup = addInterruptCleanup(
        [name = job->printerName, id = job->id] { deleteJobOnOwnHandle(name, id); });
  });
  if (job->id == 0) {
    abortJob(*job);
    failSpooler(jobNotTakenText(), {printer}, error);
  }
  if (!StartPagePrinter(job->printer)) failJob(*job, jobStartNotTakenText());
  return job;
}

void writeSpoolJob(SpoolJob& job, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const auto count = static_cast<DWORD>(std::min(bytes.size() - done, kLargestWrite));
    DWORD written = 0;
    // WritePrinter only reads the bytes, though its buffer is not declared const.
    if (!WritePrinter(job.printer, const_cast<char*>(bytes.data() + done), count, &written)) {
      failJob(job, formNotTakenText());
    }
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      failJob(job, formNotTakenText());
    }
    done += written;
  }
}

std::string finishSpoolJob(SpoolJob& job) {
  if (!EndPagePrinter(job.printer)) {
    failJob(job, jobNotFinishedText());
  }
  // Handed over together with the removal of its deletion: an interrupt that comes meanwhile
  // waits, and then leaves the job to print. The handle is closed then too, since wine's spooler
  // prints a job only once its handle is closed.
  bool ended = false;
  holdInterrupts([&job, &ended] {
    ended = EndDocPrinter(job.printer) != 0;
    if (!ended) return;
    job.open = false;
    forgetInterruptCleanup(job);
    ClosePrinter(job.printer);
    job.printer = nullptr;
  });
  if (!ended) {
    failJob(job, jobNotFinishedText());
  }
  return watchHandedOverJob(job.printerName, job.id);
}
