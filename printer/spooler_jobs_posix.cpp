// Raw jobs on CUPS. Each job has a connection of its own, since its document goes out as one
// request that stays open while pieces are written.
#include <cups/cups.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/interrupt.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_cups.h"
#include "printer/spooler_requests_cups.h"

namespace {

const auto kJobEndPoll = std::chrono::milliseconds(100);
// A printer takes a minute or more for a form; the job's first moments tell whether the spooler
// took it to print.
const auto kJobEndWait = std::chrono::seconds(2);

}  // namespace

struct SpoolJob {
  Connection connection{nullptr, httpClose};
  std::string queue;  // The printer's queue: its own, or the one made for a network printer.
  int id = 0;
  bool open = false;         // created, and neither finished nor cancelled
  int interruptCleanup = 0;  // cancels the job on an interrupt while it is open
};

namespace {

std::string jobName(const SpoolJob& job) { return spoolJobName(job.queue, job.id); }

// Cancels the job on a connection of its own, so that the job's connection may be in the middle
// of its document, even on another thread: closing it would abandon the document.
void cancelJobOnOwnConnection(int id) noexcept {
  try {
    Connection connection = connectToSpooler();
    cupsCancelJob2(connection.get(), nullptr, id, 0);
  } catch (...) {
    // A spooler that cannot be reached drops the unfinished document by itself.
  }
}

void forgetInterruptCleanup(SpoolJob& job) {
  if (job.interruptCleanup != 0) removeInterruptCleanup(job.interruptCleanup);
  job.interruptCleanup = 0;
}

void cancelJob(SpoolJob& job) noexcept {
  job.open = false;
  job.connection.reset();
  cancelJobOnOwnConnection(job.id);
  forgetInterruptCleanup(job);
}

// what holds {0} for the job's name and {1} for the spooler's reason.
[[noreturn]] void failJob(SpoolJob& job, const char* what) {
  const std::string text = formatMessage(what, {jobName(job), lastErrorText()});
  cancelJob(job);
  throw std::runtime_error(text);
}

// Watches the job for a moment after it was handed over. A job that is completed, or pending or
// processing on a printer that is not stopped, is on its way and gives an empty result: a
// printer takes a minute or more for a form, and other jobs may be before it. A job aborted,
// cancelled, held or stopped, or a stopped printer, gives a warning at once.
std::string waitForJobEnd(SpoolJob& job) {
  const std::string jobResource = "/jobs/" + std::to_string(job.id);
  const auto deadline = std::chrono::steady_clock::now() + kJobEndWait;
  for (;;) {
    const Response state = askAttributes(job.connection.get(), IPP_OP_GET_JOB_ATTRIBUTES,
                                         jobResource, kJobStateAttributes);
    if (!state) {
      return formatMessage(
          translate("the print spooler cannot tell whether it completed print job {0}; look at the "
                    "printer's queue in the system's printer settings: {1}"),
          {jobName(job), lastErrorText()});
    }
    const auto end = static_cast<ipp_jstate_t>(
        ippGetInteger(ippFindAttribute(state.get(), "job-state", IPP_TAG_ENUM), 0));
    if (end == IPP_JSTATE_COMPLETED) return std::string();
    const Response printer = askAttributes(job.connection.get(), IPP_OP_GET_PRINTER_ATTRIBUTES,
                                           "/printers/" + job.queue, kPrinterStateAttributes);
    const bool printerStopped =
        printer && ippGetInteger(ippFindAttribute(printer.get(), "printer-state", IPP_TAG_ENUM),
                                 0) == IPP_PSTATE_STOPPED;
    if ((end != IPP_JSTATE_PENDING && end != IPP_JSTATE_PROCESSING) || printerStopped) {
      return jobStateWarning(jobName(job), state, printer);
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::string();
    std::this_thread::sleep_for(kJobEndPoll);
  }
}

// Creates the job on the queue and registers its cancellation on an interrupt, with interrupts
// held off between the two so that no job is left without it. Returns 0 on failure.
int createJob(SpoolJob& job, const std::string& documentName) {
  holdInterrupts([&job, &documentName] {
    job.id =
        cupsCreateJob(job.connection.get(), job.queue.c_str(), documentName.c_str(), 0, nullptr);
    if (job.id == 0) return;
    logLine("spooler job " + std::to_string(job.id) + " on the queue " + job.queue);
    job.open = true;
    job.interruptCleanup = addInterruptCleanup([id = job.id] { cancelJobOnOwnConnection(id); });
  });
  return job.id;
}

}  // namespace

void cancelUnfinishedSpoolJob(SpoolJob* job) {
  if (job->open) cancelJob(*job);
  delete job;
}

SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName) {
  return startSpoolJobOfFormat(printer, documentName, CUPS_FORMAT_RAW);
}

SpoolJobHandle startSpoolJobOfFormat(const std::string& printer, const std::string& documentName,
                                     const char* format) {
  SpoolJobHandle job(new SpoolJob, cancelUnfinishedSpoolJob);
  job->queue = printer;
  job->connection = connectToSpooler();
  if (createJob(*job, documentName) == 0) {
    // libcups does not tell a missing queue apart from other failures here.
    const std::string text = lastErrorText();
    job->queue = queueFor(job->connection.get(), printer);
    if (job->queue == printer || createJob(*job, documentName) == 0) {
      throw std::runtime_error(formatMessage(
          jobNotTakenText(), {printer, job->queue == printer ? text : lastErrorText()}));
    }
  }
  if (cupsStartDocument(job->connection.get(), job->queue.c_str(), job->id, documentName.c_str(),
                        format, 1) != HTTP_STATUS_CONTINUE) {
    failJob(*job, jobStartNotTakenText());
  }
  return job;
}

void writeSpoolJob(SpoolJob& job, const std::string& bytes) {
  // An empty piece would end the document: its request is sent in chunks, ended by an empty one.
  if (bytes.empty()) return;
  if (cupsWriteRequestData(job.connection.get(), bytes.data(), bytes.size()) !=
      HTTP_STATUS_CONTINUE) {
    failJob(job, formNotTakenText());
  }
}

std::string finishSpoolJob(SpoolJob& job) {
  // Handed over together with the removal of its cancellation: an interrupt that comes while the
  // spooler takes the end of the document waits, and then leaves the job to print.
  bool finished = false;
  holdInterrupts([&job, &finished] {
    finished = cupsFinishDocument(job.connection.get(), job.queue.c_str()) <=
               IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!finished) return;
    job.open = false;
    forgetInterruptCleanup(job);
  });
  if (!finished) {
    failJob(job, jobNotFinishedText());
  }
  return waitForJobEnd(job);
}
