// The spooler's printers: its queues, the printers it finds on the network, the default one,
// and the temporary queue it makes for a printer found on the network.
#include <cups/cups.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/translation.h"
#include "printer/spooler.h"
#include "printer/spooler_common.h"
#include "printer/spooler_requests_cups.h"

namespace {

const int kConnectMilliseconds = 10000;
const auto kQueueReadyPoll = std::chrono::milliseconds(250);
// The spooler gives a printer found on the network 30 s to answer while it makes its queue.
const auto kQueueReadyWait = std::chrono::seconds(35);

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

}  // namespace

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

bool hasSpoolPrinter(const std::string& printer) {
  Connection connection = connectToSpooler();
  if (hasPrinter(connection.get(), printer)) return true;
  int count = 0;
  const DestList dests = listDests(connection.get(), count);
  return findNetworkPrinter(dests, count, printer) != nullptr;
}

std::string defaultSpoolPrinter() {
  Connection connection = connectToSpooler();
  return defaultPrinterName(connection.get());
}
