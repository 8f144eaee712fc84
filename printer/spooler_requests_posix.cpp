// The connection to CUPS, reached through libcups at the server of the user's CUPS settings
// (CUPS_SERVER, client.conf, else the local scheduler), and the questions asked on it.
#include <cups/cups.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/spooler_requests_cups.h"

namespace {

const int kConnectMilliseconds = 10000;
const double kAnswerSeconds = 15;

std::string spoolerAddress() {
  const std::string server = cupsServer();
  if (!server.empty() && server[0] == '/') return server;  // a local domain socket
  return server + ":" + std::to_string(ippPort());
}

}  // namespace

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
    // The system's words ("Host is down" for a scheduler that is not running) would send the
    // user to the printer's power switch: they go to the log only.
    logLine("no connection to CUPS at " + spoolerAddress() + ": " + lastErrorText());
    throw std::runtime_error(
        formatMessage(translate("the print spooler (CUPS) at {0} does not answer; check that it "
                                "is running, or ask the IT department"),
                      {spoolerAddress()}));
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

std::string attributeText(const Response& response, const char* name) {
  ipp_attribute_t* attribute = ippFindAttribute(response.get(), name, IPP_TAG_ZERO);
  if (!attribute) return std::string();
  std::vector<char> text(static_cast<size_t>(ippAttributeString(attribute, nullptr, 0)) + 1);
  ippAttributeString(attribute, text.data(), text.size());
  return text.data();
}

std::string describe(const Response& response, const std::vector<const char*>& names,
                     const std::string& told) {
  std::string description;
  for (const char* name : names) {
    std::string value = attributeText(response, name);
    if (value.empty() || value == "none" || value == told) continue;
    if (value.find(' ') != std::string::npos) value = '"' + value + '"';
    description += (description.empty() ? "" : ", ") + std::string(name) + " " + value;
  }
  return description;
}

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
