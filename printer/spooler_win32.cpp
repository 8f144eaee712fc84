// The print spooler is Windows' own, through winspool. Printer and document names are UTF-8
// in the rest of the program and UTF-16 here. A job handed over is watched for a moment through
// the status bits the spooler keeps of it and of its printer.
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
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_windows.h"

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
const auto kJobWatch = std::chrono::seconds(2);
const auto kJobWatchPoll = std::chrono::milliseconds(100);

// A status bit and what it says of the printer or the job, after "which" or "its job".
struct StatusWords {
  DWORD bit;
  const char* words;
};

// The printer states that keep a job from printing. A job's own offline and out-of-paper bits
// tell of its printer, so they are said of the printer.
const StatusWords kPrinterStops[] = {
    {PRINTER_STATUS_OFFLINE, "is offline"},
    {PRINTER_STATUS_PAUSED, "is paused"},
    {PRINTER_STATUS_PAPER_OUT, "is out of paper"},
    {PRINTER_STATUS_ERROR, "is in error"},
    {PRINTER_STATUS_PAPER_JAM, "has a paper jam"},
    {PRINTER_STATUS_PAPER_PROBLEM, "has a paper problem"},
    {PRINTER_STATUS_MANUAL_FEED, "waits for paper fed by hand"},
    {PRINTER_STATUS_OUTPUT_BIN_FULL, "has its output bin full"},
    {PRINTER_STATUS_NO_TONER, "is out of toner"},
    {PRINTER_STATUS_DOOR_OPEN, "has its door open"},
    {PRINTER_STATUS_OUT_OF_MEMORY, "is out of memory"},
    {PRINTER_STATUS_USER_INTERVENTION, "needs someone to look at it"},
    {PRINTER_STATUS_NOT_AVAILABLE, "is not available"},
    {PRINTER_STATUS_PENDING_DELETION, "is being deleted"},
};
const StatusWords kJobPrinterStops[] = {
    {JOB_STATUS_OFFLINE, "is offline"},
    {JOB_STATUS_PAPEROUT, "is out of paper"},
};
const StatusWords kJobStops[] = {
    {JOB_STATUS_PAUSED, "is paused"},
    {JOB_STATUS_ERROR, "is in error"},
    {JOB_STATUS_BLOCKED_DEVQ, "is blocked"},
    {JOB_STATUS_USER_INTERVENTION, "needs someone to look at the printer"},
};

// Adds the words of each bit set in status that are not there yet.
void addWords(const StatusWords* begin, const StatusWords* end, DWORD status,
              std::vector<std::string>& words) {
  for (const StatusWords* entry = begin; entry != end; ++entry) {
    if ((status & entry->bit) != 0 &&
        std::find(words.begin(), words.end(), entry->words) == words.end()) {
      words.push_back(entry->words);
    }
  }
}

// "a", "a and b", "a, b and c".
std::string joinWords(const std::vector<std::string>& words) {
  std::string text;
  for (size_t index = 0; index < words.size(); ++index) {
    if (index > 0) text += index + 1 == words.size() ? " and " : ", ";
    text += words[index];
  }
  return text;
}

// A failure of the spooler's service itself is told as such.
[[noreturn]] void failSpooler(const std::string& what, DWORD error) {
  if (error == RPC_S_SERVER_UNAVAILABLE) {
    throw std::runtime_error("the print spooler cannot be reached: " + systemMessage(error));
  }
  throw std::runtime_error(what + ": " + systemMessage(error));
}

// Opens the printer for printing; a missing one is told as such.
HANDLE openPrinter(const std::string& printer) {
  std::wstring name = utf8ToWide(printer);
  HANDLE handle = nullptr;
  if (!OpenPrinterW(&name[0], &handle, nullptr)) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PRINTER_NAME) failNoPrinter(printer);
    failSpooler("the print spooler cannot open the printer \"" + printer + "\"", error);
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
[[noreturn]] void failJob(SpoolJob& job, const std::string& what) {
  const DWORD error = GetLastError();
  const std::string text = "the print spooler " + what + " job " + jobName(job);
  abortJob(job);
  failSpooler(text, error);
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
  const std::string job = "print job " + spoolJobName(printer, id);
  const bool printed = (jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0;
  if (printed) return std::string();
  if ((jobStatus & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0) {
    return "the form was deleted from the queue of " + printer +
           " before it printed; print it again: " + job;
  }
  std::vector<std::string> printerWords;
  addWords(std::begin(kPrinterStops), std::end(kPrinterStops), printerStatus, printerWords);
  addWords(std::begin(kJobPrinterStops), std::end(kJobPrinterStops), jobStatus, printerWords);
  std::vector<std::string> jobWords;
  addWords(std::begin(kJobStops), std::end(kJobStops), jobStatus, jobWords);
  if (printerWords.empty() && jobWords.empty()) return std::string();
  std::string warning = "the form waits in the queue of " + printer;
  if (!printerWords.empty()) warning += ", which " + joinWords(printerWords);
  if (!jobWords.empty()) {
    warning += (printerWords.empty() ? ", where its job " : ", and its job ") + joinWords(jobWords);
  }
  if (jobWords.empty()) {
    warning += "; it prints once the printer is ready";
  } else if (printerWords.empty()) {
    warning += "; it prints once the job is resumed or restarted in the queue";
  } else {
    warning += "; it prints once the printer is ready and the job is resumed or restarted";
  }
  return warning + ": " + job;
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
    return "the print spooler cannot tell whether it printed print job " +
           spoolJobName(printer, id) + ": " + systemMessage(GetLastError());
  }
  const std::unique_ptr<void, decltype(&ClosePrinter)> owned(handle, ClosePrinter);
  const auto deadline = std::chrono::steady_clock::now() + kJobWatch;
  for (;;) {
    // A job no longer in the queue is told of by its printer alone: a stopped printer holds
    // what was handed on to the spooler behind it.
    DWORD jobStatus = 0;
    const bool queued = jobStatusOf(handle, id, jobStatus);
    const std::string warning = spoolStateWarning(printer, id, printerStatusOf(handle), jobStatus);
    if (!warning.empty()) return warning;
    if (!queued || (jobStatus & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE)) != 0) {
      return std::string();
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::string();
    std::this_thread::sleep_for(kJobWatchPoll);
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
      failSpooler("the print spooler cannot list its printers", error);
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
    job->open = true;
    job->interruptCleanup = addInterruptCleanup(
        [name = job->printerName, id = job->id] { deleteJobOnOwnHandle(name, id); });
  });
  if (job->id == 0) {
    abortJob(*job);
    failSpooler("the print spooler did not take a job for the printer \"" + printer + "\"", error);
  }
  if (!StartPagePrinter(job->printer)) failJob(*job, "did not start the page of");
  return job;
}

void writeSpoolJob(SpoolJob& job, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const auto count = static_cast<DWORD>(std::min(bytes.size() - done, kLargestWrite));
    DWORD written = 0;
    // WritePrinter only reads the bytes, though its buffer is not declared const.
    if (!WritePrinter(job.printer, const_cast<char*>(bytes.data() + done), count, &written)) {
      failJob(job, "did not take the bytes of");
    }
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      failJob(job, "did not take the bytes of");
    }
    done += written;
  }
}

std::string finishSpoolJob(SpoolJob& job) {
  if (!EndPagePrinter(job.printer)) failJob(job, "could not finish");
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
  if (!ended) failJob(job, "could not finish");
  return watchHandedOverJob(job.printerName, job.id);
}
