#include "driver/destination_setting.h"

#include "driver/destination_request.h"
#include "platform/messages.h"
#include "platform/text_case.h"
#include "platform/translation.h"

namespace {

const char kDrawnWord[] = "drawn";
const char kDrawnPrefix[] = "drawn:";
const char kViewWord[] = "view";

bool namesDestination(const DestinationRequest& request) {
  return !request.outputFile.empty() || !request.printer.empty() || request.drawn || request.view;
}

// Spoolers take a printer's name in any case.
bool sameRequest(const DestinationRequest& a, const DestinationRequest& b) {
  return a.outputFile == b.outputFile && sameIgnoringCase(a.printer, b.printer) &&
         a.drawn == b.drawn && a.view == b.view;
}

// The destination options as they were typed, for a message.
std::string optionsText(const CommandLine& line) {
  std::string text;
  const auto add = [&text](const std::string& option) {
    text += (text.empty() ? "" : " ") + option;
  };
  if (!line.output.empty()) add("-o " + line.output);
  if (line.drawn) add("--drawn");
  if (!line.printer.empty()) add("--printer " + line.printer);
  if (line.view) add("--view");
  return text;
}

}  // namespace

std::string readDestinationSetting(const std::string& value, DestinationRequest& request) {
  request = DestinationRequest();
  const std::string prefix = kDrawnPrefix;
  if (value.empty() || sameIgnoringCase(value, kPrinterDevice)) return std::string();
  if (sameIgnoringCase(value, kDrawnWord)) {
    request.drawn = true;
  } else if (value.size() >= prefix.size() &&
             sameIgnoringCase(value.substr(0, prefix.size()), prefix)) {
    request.drawn = true;
    request.printer = value.substr(prefix.size());
    if (request.printer.empty()) return translate("names no printer after drawn:");
  } else if (sameIgnoringCase(value, kViewWord)) {
    request.view = true;
  } else {
    request.printer = value;
  }
  return std::string();
}

DestinationRequest chooseDestinationRequest(const CommandLine& line, ServiceSettings& settings) {
  const DestinationRequest options = destinationRequestOf(line);
  Setting& setting = settings.destination;
  DestinationRequest chosen;
  setting.problem = readDestinationSetting(setting.value, chosen);
  // The setting's destination gets the advice the command line's would.
  chosen.printerDeviceAdvice = options.printerDeviceAdvice;
  chosen.noDefaultPrinterError = options.noDefaultPrinterError;
  chosen.unknownPrinterError = options.unknownPrinterError;
  const bool optionsChoose = namesDestination(options) && !setting.policy;
  if (!setting.problem.empty() && !optionsChoose) {
    settings.errors.push_back(formatMessage(
        translate("the setting destination = {0} ({1}) {2}; write LPT1, a printer's name, "
                  "drawn, drawn:PRINTER or view"),
        {quoted(setting.value), originText(setting), setting.problem}));
  }
  if (!namesDestination(options)) return chosen;
  if (!setting.policy) return options;
  if (setting.problem.empty() && !sameRequest(options, chosen) && settings.usageError.empty()) {
    settings.usageError = formatMessage(
        translate("the options {0} cannot be used, as the site's policy sets the destination "
                  "{1}; leave them out: the policy is {2}"),
        {quoted(optionsText(line)), setting.value, setting.origin});
  }
  return chosen;
}
