// Raw jobs on Windows' own print spooler, through winspool. Printer and document names are UTF-8
// in the rest of the program and UTF-16 here.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/interrupt.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_win32.h"

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

}  // namespace

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
