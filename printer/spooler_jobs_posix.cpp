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

#include "platform/interrupt.h"
#include "platform/translation.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_cups.h"

namespace {

using Connection = std::unique_ptr<http_t, void (*)(http_t*)>;

const int kConnectMilliseconds = 10000;
const double kAnswerSeconds = 15;
const auto kJobEndPoll = std::chrono::milliseconds(100);
// A printer takes a minute or more for a form; the job's first moments tell whether the spooler
// took it to print.
const auto kJobEndWait = std::chrono::seconds(2);
const auto kQueueReadyPoll = std::chrono::milliseconds(250);
// The spooler gives a printer found on the network 30 s to answer while it makes its queue.
const auto kQueueReadyWait = std::chrono::seconds(35);

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
    return translate("no answer in time");
  }
  return text && *text ? text : translate("unknown error");
}

Connection connectToSpooler() {
  Connection connection(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                     1, kConnectMilliseconds, nullptr),
                        httpClose);
  if (!connection) {
    throw std::runtime_error(formatMessage(
        translate("the print spooler cannot be reached at {0}; check that the "
                  "printing service (CUPS) is running, or ask the IT department: {1}"),
        {spoolerAddress(), lastErrorText()}));
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
  throw std::runtime_error(
      formatMessage(translate("the print spooler cannot tell whether it has the printer \"{0}\"; "
                              "print again, or ask the IT department: {1}"),
                    {printer, lastErrorText()}));
}

// The spooler's own words on the job and on its printer, as one line.
std::string jobWarning(const SpoolJob& job, const Response& state, const Response& printer,
                       const std::vector<const char*>& jobAttributes,
                       const std::vector<const char*>& printerAttributes) {
  std::string warning = formatMessage(
      translate("print job {0} is not completed; check that the printer is switched on and has "
                "paper, and look at its queue in the system's printer settings: {1}"),
      {jobName(job), describe(state, jobAttributes)});
  if (printer) {
    warning += "; " + describe(printer, printerAttributes,
                               attributeText(state, "job-printer-state-message"));
  }
  return warning;
}

// Watches the job for a moment after it was handed over. A job that is completed, or pending or
// processing on a printer that is not stopped, is on its way and gives an empty result: a
// printer takes a minute or more for a form, and other jobs may be before it. A job aborted,
// cancelled, held or stopped, or a stopped printer, gives a warning at once.
std::string waitForJobEnd(SpoolJob& job) {
  const std::vector<const char*> jobAttributes = {"job-state", "job-state-reasons",
                                                  "job-printer-state-message"};
  const std::vector<const char*> printerAttributes = {"printer-state", "printer-state-message"};
  const std::string jobResource = "/jobs/" + std::to_string(job.id);
  const auto deadline = std::chrono::steady_clock::now() + kJobEndWait;
  for (;;) {
    const Response state =
        askAttributes(job.connection.get(), IPP_OP_GET_JOB_ATTRIBUTES, jobResource, jobAttributes);
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
                                           "/printers/" + job.queue, printerAttributes);
    const bool printerStopped =
        printer && ippGetInteger(ippFindAttribute(printer.get(), "printer-state", IPP_TAG_ENUM),
                                 0) == IPP_PSTATE_STOPPED;
    if ((end != IPP_JSTATE_PENDING && end != IPP_JSTATE_PROCESSING) || printerStopped) {
      return jobWarning(job, state, printer, jobAttributes, printerAttributes);
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::string();
    std::this_thread::sleep_for(kJobEndPoll);
  }
}

using DestList = std::unique_ptr<cups_dest_t, std::function<void(cups_dest_t*)>>;

// The printers --list-printers shows: the spooler's queues and, where the spooler runs on this
// machine, the printers it finds on the network that have no queue yet. libcups asks on the
// connection, so that its time-out holds, and browses the network for a fraction of a second.
DestList listDests(http_t* connection, int& count) {
  cups_dest_t* dests = nullptr;
  count = cupsGetDests2(connection, &dests);
  const int listed = count;
  DestList owned(dests, [listed](cups_dest_t* list) { cupsFreeDests(listed, list); });
  // A spooler without printers answers "not found".
  if (count == 0 && lastRequestFailed() && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
    throw std::runtime_error(formatMessage(cannotListPrintersText(), {lastErrorText()}));
  }
  return owned;
}

// The printer found on the network that the list names so, or null: a queue is not one.
cups_dest_t* findNetworkPrinter(const DestList& dests, int count, const std::string& printer) {
  cups_dest_t* dest = cupsGetDest(printer.c_str(), nullptr, count, dests.get());
  const bool queued =
      !dest || cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
  return queued || !cupsGetOption("device-uri", dest->num_options, dest->options) ? nullptr : dest;
}

// The printer's address for its queue. A DNS-SD name (dnssd://NAME._ipp._tcp.local/) is resolved
// first, as libcups does before it makes a queue: the spooler's own resolving keeps the address
// it found badly. cupsConnectDest resolves within the time given, keeps the result as the dest's
// device-uri, and connects to the printer, which tells at once whether it answers.
std::string reachableAddress(cups_dest_t& dest) {
  char resource[HTTP_MAX_URI];
  const Connection device(cupsConnectDest(&dest, CUPS_DEST_FLAGS_DEVICE, kConnectMilliseconds,
                                          nullptr, resource, sizeof(resource), nullptr, nullptr),
                          httpClose);
  // A connection that failed is returned too, without its socket.
  if (!device || httpGetFd(device.get()) < 0) {
    const int error = device ? httpError(device.get()) : 0;
    throw std::runtime_error(formatMessage(
        translate("the printer \"{0}\" found on the network cannot be reached; check that it is "
                  "switched on and connected: {1}"),
        {dest.name, error != 0 ? std::string(std::strerror(error)) : lastErrorText()}));
  }
  return cupsGetOption("device-uri", dest.num_options, dest.options);
}

// Makes the spooler a temporary queue for a printer it found on the network, as libcups does
// for cupsCreateDestJob, but on the job's connection so that its time-out holds, and waiting a
// bounded time for the spooler to learn the printer: libcups would wait for ever on a printer
// that never tells. Returns the queue's name.
std::string makeTemporaryQueue(http_t* connection, cups_dest_t& dest) {
  const std::string printer = dest.name;
  const std::string address = reachableAddress(dest);
  const char* info = cupsGetOption("printer-info", dest.num_options, dest.options);
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_CREATE_LOCAL_PRINTER);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, address.c_str());
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, printer.c_str());
  if (info) ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, info);
  const Response made(cupsDoRequest(connection, request, "/"), ippDelete);
  // A queue that another program made a moment ago is told as "not possible", with its address.
  const char* queueUri =
      ippGetString(ippFindAttribute(made.get(), "printer-uri-supported", IPP_TAG_URI), 0, nullptr);
  char resource[HTTP_MAX_URI] = "";
  char ignored[HTTP_MAX_URI];
  int port = 0;
  const std::string prefix = "/printers/";
  if (!queueUri ||
      httpSeparateURI(HTTP_URI_CODING_ALL, queueUri, ignored, sizeof(ignored), ignored,
                      sizeof(ignored), ignored, sizeof(ignored), &port, resource,
                      sizeof(resource)) < HTTP_URI_STATUS_OK ||
      std::string(resource).compare(0, prefix.size(), prefix) != 0) {
    throw std::runtime_error(formatMessage(
        translate("the print spooler could not prepare the printer \"{0}\" it found on the "
                  "network; add the printer in the system's printer settings, or ask the IT "
                  "department: {1}"),
        {printer, lastErrorText()}));
  }
  const std::string queue = std::string(resource).substr(prefix.size());
  // The spooler asks the printer what it can do; the queue is stopped until it knows.
  const std::vector<const char*> attributes = {"printer-state", "printer-state-message"};
  const auto deadline = std::chrono::steady_clock::now() + kQueueReadyWait;
  for (;;) {
    const Response state =
        askAttributes(connection, IPP_OP_GET_PRINTER_ATTRIBUTES, prefix + queue, attributes);
    if (!state) {
      throw std::runtime_error(formatMessage(
          translate("the print spooler cannot tell whether the printer \"{0}\" it found on the "
                    "network is ready; print again, or ask the IT department: {1}"),
          {printer, lastErrorText()}));
    }
    if (ippGetInteger(ippFindAttribute(state.get(), "printer-state", IPP_TAG_ENUM), 0) !=
        IPP_PSTATE_STOPPED) {
      return queue;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      throw std::runtime_error(formatMessage(
          translate("the print spooler did not get the printer \"{0}\" it found on the network "
                    "ready in {1} seconds; check that it is switched on, then print again: {2}"),
          {printer, std::to_string(kQueueReadyWait.count()), describe(state, attributes)}));
    }
    std::this_thread::sleep_for(kQueueReadyPoll);
  }
}

// The queue that prints on the printer: the printer's own, or for a printer found on the network
// a temporary one. Throws if the spooler has no such printer.
std::string queueFor(http_t* connection, const std::string& printer) {
  if (hasPrinter(connection, printer)) return printer;
  int count = 0;
  const DestList dests = listDests(connection, count);
  cups_dest_t* dest = findNetworkPrinter(dests, count, printer);
  if (!dest) failNoPrinter(printer);
  return makeTemporaryQueue(connection, *dest);
}

// Creates the job on the queue and registers its cancellation on an interrupt, with interrupts
// held off between the two so that no job is left without it. Returns 0 on failure.
int createJob(SpoolJob& job, const std::string& documentName) {
  holdInterrupts([&job, &documentName] {
    job.id =
        cupsCreateJob(job.connection.get(), job.queue.c_str(), documentName.c_str(), 0, nullptr);
    if (job.id == 0) return;
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

std::vector<SpoolPrinter> listSpoolPrinters() {
  Connection connection = connectToSpooler();
  int count = 0;
  const DestList dests = listDests(connection.get(), count);
  const std::string defaultName = defaultPrinterName(connection.get());
  std::vector<SpoolPrinter> printers;
  for (int index = 0; index < count; ++index) {
    // An instance is a set of options for a printer listed before it.
    if (dests.get()[index].instance) continue;
    const std::string name = dests.get()[index].name;
    printers.push_back(SpoolPrinter{name, name == defaultName});
  }
  return printers;
}

void requireSpoolPrinter(const std::string& printer) {
  Connection connection = connectToSpooler();
  if (hasPrinter(connection.get(), printer)) return;
  int count = 0;
  const DestList dests = listDests(connection.get(), count);
  if (!findNetworkPrinter(dests, count, printer)) failNoPrinter(printer);
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
