// The print spooler is CUPS, reached through libcups at the server of the user's CUPS settings
// (CUPS_SERVER, client.conf, else the local scheduler). Each job has a connection of its own,
// since its document goes out as one request that stays open while pieces are written.
#include <cups/cups.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_cups.h"

namespace {

using Connection = std::unique_ptr<http_t, void (*)(http_t*)>;

const int kConnectMilliseconds = 10000;
const double kAnswerSeconds = 15;
const auto kJobEndPoll = std::chrono::milliseconds(50);
const auto kJobEndWait = std::chrono::seconds(5);

std::string spoolerAddress() {
  const std::string server = cupsServer();
  if (!server.empty() && server[0] == '/') return server;  // a local domain socket
  return server + ":" + std::to_string(ippPort());
}

bool lastRequestFailed() { return cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE; }

// The text of the last failure. A request that got no answer in time is left with the text of
// errno 0.
std::string lastErrorText() {
  const char* text = cupsLastErrorString();
  if (!lastRequestFailed() || (text && std::strcmp(text, std::strerror(0)) == 0)) {
    return "no answer in time";
  }
  return text && *text ? text : "unknown error";
}

Connection connectToSpooler() {
  Connection connection(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                     1, kConnectMilliseconds, nullptr),
                        httpClose);
  if (!connection) {
    throw std::runtime_error("the print spooler cannot be reached at " + spoolerAddress() + ": " +
                             lastErrorText());
  }
  // Without a time-out a spooler that accepts the connection but never answers would hold the
  // run forever.
  httpSetTimeout(connection.get(), kAnswerSeconds, nullptr, nullptr);
  return connection;
}

// The default is the one libcups would print to (PRINTER or LPDEST, the user's lpoptions, else
// the server's default): the marks of cupsGetDests2 miss the server's default where the user's
// lpoptions hold options of any printer.
std::string defaultPrinterName(http_t* connection) {
  cups_dest_t* dest = cupsGetNamedDest(connection, nullptr, nullptr);
  if (!dest) return std::string();
  const std::string name = dest->name;
  cupsFreeDests(1, dest);
  return name;
}

}  // namespace

struct SpoolJob {
  Connection connection{nullptr, httpClose};
  std::string printer;
  int id = 0;
  bool open = false;  // created, and neither finished nor cancelled
};

namespace {

std::string jobName(const SpoolJob& job) { return spoolJobName(job.printer, job.id); }

// Cancels the job on a connection of its own: the job's connection may be in the middle of its
// document, which closing it abandons.
void cancelJob(SpoolJob& job) noexcept {
  job.open = false;
  job.connection.reset();
  try {
    Connection connection = connectToSpooler();
    cupsCancelJob2(connection.get(), job.printer.c_str(), job.id, 0);
  } catch (...) {
    // A spooler that cannot be reached drops the unfinished document by itself.
  }
}

[[noreturn]] void failJob(SpoolJob& job, const std::string& what) {
  const std::string text =
      "the print spooler " + what + " job " + jobName(job) + ": " + lastErrorText();
  cancelJob(job);
  throw std::runtime_error(text);
}

using Response = std::unique_ptr<ipp_t, void (*)(ipp_t*)>;

// Asks for the attributes named of the job or printer at the resource (/jobs/ID, /printers/NAME);
// returns null if the question fails.
Response askAttributes(http_t* connection, ipp_op_t operation, const std::string& resource,
                       const std::vector<const char*>& attributes) {
  const bool aboutJob = operation == IPP_OP_GET_JOB_ATTRIBUTES;
  char uri[HTTP_MAX_URI];
  httpAssembleURI(HTTP_URI_CODING_ALL, uri, static_cast<int>(sizeof(uri)), "ipp", nullptr,
                  "localhost", ippPort(), resource.c_str());
  ipp_t* request = ippNewRequest(operation);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, aboutJob ? "job-uri" : "printer-uri",
               nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(attributes.size()), nullptr, attributes.data());
  Response response(cupsDoRequest(connection, request, "/"), ippDelete);
  if (lastRequestFailed()) response.reset();
  return response;
}

// An attribute's values as text, separated by commas; empty if it is missing or empty.
std::string attributeText(const Response& response, const char* name) {
  ipp_attribute_t* attribute = ippFindAttribute(response.get(), name, IPP_TAG_ZERO);
  if (!attribute) return std::string();
  std::vector<char> text(static_cast<size_t>(ippAttributeString(attribute, nullptr, 0)) + 1);
  ippAttributeString(attribute, text.data(), text.size());
  return text.data();
}

// "name value" for each attribute that has a value, separated by commas; a value already told
// is left out.
std::string describe(const Response& response, const std::vector<const char*>& names,
                     const std::string& told = std::string()) {
  std::string description;
  for (const char* name : names) {
    std::string value = attributeText(response, name);
    if (value.empty() || value == "none" || value == told) continue;
    if (value.find(' ') != std::string::npos) value = '"' + value + '"';
    description += (description.empty() ? "" : ", ") + std::string(name) + " " + value;
  }
  return description;
}

// Whether the spooler has the printer, asked on the connection so that its time-out holds; a
// question that fails otherwise is thrown.
bool hasPrinter(http_t* connection, const std::string& printer) {
  if (askAttributes(connection, IPP_OP_GET_PRINTER_ATTRIBUTES, "/printers/" + printer,
                    {"printer-name"})) {
    return true;
  }
  if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return false;
  throw std::runtime_error("the print spooler cannot tell whether it has the printer \"" + printer +
                           "\": " + lastErrorText());
}

// Waits a few seconds for the job to end; returns a warning if it ended otherwise than completed
// or is still waiting (held, pending, stopped), with what the spooler tells of the job and its
// printer.
std::string waitForJobEnd(SpoolJob& job) {
  const std::vector<const char*> jobAttributes = {"job-state", "job-state-reasons",
                                                  "job-printer-state-message"};
  const std::string jobResource = "/jobs/" + std::to_string(job.id);
  const auto deadline = std::chrono::steady_clock::now() + kJobEndWait;
  Response state(nullptr, ippDelete);
  ipp_jstate_t end = IPP_JSTATE_PENDING;
  for (;;) {
    state =
        askAttributes(job.connection.get(), IPP_OP_GET_JOB_ATTRIBUTES, jobResource, jobAttributes);
    if (!state) {
      return "the print spooler cannot tell whether it completed print job " + jobName(job) + ": " +
             lastErrorText();
    }
    end = static_cast<ipp_jstate_t>(
        ippGetInteger(ippFindAttribute(state.get(), "job-state", IPP_TAG_ENUM), 0));
    if (end == IPP_JSTATE_COMPLETED) return std::string();
    if (end >= IPP_JSTATE_CANCELED || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kJobEndPoll);
  }
  std::string warning = "print job " + jobName(job) + " is not completed";
  if (end < IPP_JSTATE_CANCELED) {
    warning += " after " + std::to_string(kJobEndWait.count()) + " seconds";
  }
  warning += ": " + describe(state, jobAttributes);
  const std::vector<const char*> printerAttributes = {"printer-state", "printer-state-message"};
  const Response printer = askAttributes(job.connection.get(), IPP_OP_GET_PRINTER_ATTRIBUTES,
                                         "/printers/" + job.printer, printerAttributes);
  if (printer) {
    warning += "; " + describe(printer, printerAttributes,
                               attributeText(state, "job-printer-state-message"));
  }
  return warning;
}

}  // namespace

void cancelUnfinishedSpoolJob(SpoolJob* job) {
  if (job->open) cancelJob(*job);
  delete job;
}

std::vector<SpoolPrinter> listSpoolPrinters() {
  Connection connection = connectToSpooler();
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(connection.get(), &dests);
  const std::unique_ptr<cups_dest_t, std::function<void(cups_dest_t*)>> owned(
      dests, [count](cups_dest_t* list) { cupsFreeDests(count, list); });
  // A spooler without printers answers "not found".
  if (count == 0 && lastRequestFailed() && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
    throw std::runtime_error("the print spooler cannot list its printers: " + lastErrorText());
  }
  const std::string defaultName = defaultPrinterName(connection.get());
  std::vector<SpoolPrinter> printers;
  for (int index = 0; index < count; ++index) {
    // An instance is a set of options for a printer listed before it.
    if (dests[index].instance) continue;
    const std::string name = dests[index].name;
    printers.push_back(SpoolPrinter{name, name == defaultName});
  }
  return printers;
}

void requireSpoolPrinter(const std::string& printer) {
  Connection connection = connectToSpooler();
  if (!hasPrinter(connection.get(), printer)) failNoPrinter(printer);
}

std::string defaultSpoolPrinter() {
  Connection connection = connectToSpooler();
  return defaultPrinterName(connection.get());
}

SpoolJobHandle startSpoolJob(const std::string& printer, const std::string& documentName) {
  return startSpoolJobOfFormat(printer, documentName, CUPS_FORMAT_RAW);
}

SpoolJobHandle startSpoolJobOfFormat(const std::string& printer, const std::string& documentName,
                                     const char* format) {
  SpoolJobHandle job(new SpoolJob, cancelUnfinishedSpoolJob);
  job->printer = printer;
  job->connection = connectToSpooler();
  job->id = cupsCreateJob(job->connection.get(), printer.c_str(), documentName.c_str(), 0, nullptr);
  if (job->id == 0) {
    // libcups does not tell a missing printer apart from other failures here.
    const std::string text = lastErrorText();
    if (!hasPrinter(job->connection.get(), printer)) failNoPrinter(printer);
    throw std::runtime_error("the print spooler did not take a job for the printer \"" + printer +
                             "\": " + text);
  }
  job->open = true;
  if (cupsStartDocument(job->connection.get(), printer.c_str(), job->id, documentName.c_str(),
                        format, 1) != HTTP_STATUS_CONTINUE) {
    failJob(*job, "did not take the document of");
  }
  return job;
}

void writeSpoolJob(SpoolJob& job, const std::string& bytes) {
  // An empty piece would end the document: its request is sent in chunks, ended by an empty one.
  if (bytes.empty()) return;
  if (cupsWriteRequestData(job.connection.get(), bytes.data(), bytes.size()) !=
      HTTP_STATUS_CONTINUE) {
    failJob(job, "did not take the bytes of");
  }
}

std::string finishSpoolJob(SpoolJob& job) {
  if (cupsFinishDocument(job.connection.get(), job.printer.c_str()) >
      IPP_STATUS_OK_EVENTS_COMPLETE) {
    failJob(job, "could not finish");
  }
  job.open = false;
  return waitForJobEnd(job);
}
