// The states of CUPS jobs and printers in the user's words. The spooler's own names (job-state,
// printer-state-reasons...) mean nothing to a driver; they go to the support log for whoever
// helps.
#include <cups/cups.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/spooler.h"
#include "printer/spooler_requests_cups.h"

const std::vector<const char*> kJobStateAttributes = {"job-state", "job-state-reasons",
                                                      "job-printer-state-message"};
const std::vector<const char*> kPrinterStateAttributes = {
    "printer-state", "printer-state-reasons", "printer-state-message", "printer-is-accepting-jobs"};

namespace {

std::string jobStateWords(ipp_jstate_t state) {
  switch (state) {
    case IPP_JSTATE_PENDING:
      return translate("the job waits");
    case IPP_JSTATE_HELD:
      return translate("the job is held");
    case IPP_JSTATE_PROCESSING:
      return translate("the job is printing");
    case IPP_JSTATE_STOPPED:
      return translate("the job is stopped");
    case IPP_JSTATE_CANCELED:
      return translate("the job was cancelled");
    case IPP_JSTATE_ABORTED:
      return translate("the job was aborted");
    default:
      return translate("the job is completed");
  }
}

bool hasReason(const std::string& reasons, const std::string& reason) {
  const std::string list = "," + reasons + ",";
  for (const char* suffix : {"", "-error", "-warning", "-report"}) {
    if (list.find("," + reason + suffix + ",") != std::string::npos) return true;
  }
  return false;
}

void add(std::vector<std::string>& words, const std::string& word) {
  if (!word.empty()) words.push_back(word);
}

// What stops the printer, in words; its own message quoted, with the lack of paper it may tell
// of, or alone.
std::vector<std::string> printerWords(const Response& printer, const std::string& told) {
  std::vector<std::string> words;
  if (!printer) return words;
  const auto state = static_cast<ipp_pstate_t>(
      ippGetInteger(ippFindAttribute(printer.get(), "printer-state", IPP_TAG_ENUM), 0));
  if (state == IPP_PSTATE_STOPPED) add(words, translate("the printer is stopped"));
  ipp_attribute_t* accepting =
      ippFindAttribute(printer.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
  if (accepting && !ippGetBoolean(accepting, 0)) {
    add(words, translate("the printer takes no jobs"));
  }
  const std::string reasons = attributeText(printer, "printer-state-reasons");
  std::string message = attributeText(printer, "printer-state-message");
  if (message.empty()) message = told;
  const bool noPaper = hasReason(reasons, "media-empty") || hasReason(reasons, "media-needed");
  if (noPaper) {
    add(words, message.empty() ? translate("out of paper")
                               : formatMessage(translate("out of paper (\"{0}\")"), {message}));
  }
  if (hasReason(reasons, "media-jam")) add(words, translate("a paper jam"));
  if (hasReason(reasons, "offline")) add(words, translate("the printer is offline"));
  if (hasReason(reasons, "door-open") || hasReason(reasons, "cover-open")) {
    add(words, translate("the printer's cover is open"));
  }
  if (!noPaper && !message.empty()) {
    add(words, formatMessage(translate("the printer says \"{0}\""), {message}));
  }
  return words;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : "; ") + word;
  return text;
}

}  // namespace

std::string jobStateWarning(const std::string& jobName, const Response& job,
                            const Response& printer) {
  logLine("print job " + jobName + ": " + describe(job, kJobStateAttributes) +
          (printer ? "; " + describe(printer, kPrinterStateAttributes) : std::string()));
  const auto state = static_cast<ipp_jstate_t>(
      ippGetInteger(ippFindAttribute(job.get(), "job-state", IPP_TAG_ENUM), 0));
  std::vector<std::string> words = {jobStateWords(state)};
  for (const std::string& word :
       printerWords(printer, attributeText(job, "job-printer-state-message"))) {
    words.push_back(word);
  }
  return formatMessage(
      translate("print job {0} is not completed ({1}); check that the printer is switched on and "
                "has paper, and look at its queue in the system's printer settings"),
      {jobName, joined(words)});
}

SpoolPrinterState spoolPrinterState(const std::string& printer) {
  Connection connection = connectToSpooler();
  SpoolPrinterState state;
  const Response response = askAttributes(connection.get(), IPP_OP_GET_PRINTER_ATTRIBUTES,
                                          "/printers/" + printer, kPrinterStateAttributes);
  if (!response) {
    // A printer found on the network has no queue, and so no state, until a job makes one.
    if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return state;
    throw std::runtime_error(
        formatMessage(translate("the print spooler cannot tell the state of the printer \"{0}\" "
                                "({1}); ask the IT department"),
                      {printer, lastErrorText()}));
  }
  state.raw = describe(response, kPrinterStateAttributes);
  logLine("printer " + printer + ": " + state.raw);
  const auto printerState = static_cast<ipp_pstate_t>(
      ippGetInteger(ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM), 0));
  ipp_attribute_t* accepting =
      ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
  state.ready = printerState != IPP_PSTATE_STOPPED && (!accepting || ippGetBoolean(accepting, 0));
  state.words = joined(printerWords(response, std::string()));
  return state;
}
