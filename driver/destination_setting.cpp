#include "driver/destination_setting.h"

#include "platform/file_system.h"
#include "platform/text_case.h"
#include "platform/translation.h"

namespace {

const char kDrawnWord[] = "drawn";
const char kDrawnPrefix[] = "drawn:";
const char kViewWord[] = "view";

// A request that names nothing prints on the printer device: the same place as naming it.
DestinationRequest spelt(const DestinationRequest& request) {
  DestinationRequest place = request;
  if (!namesDestination(place)) place.outputFile = kPrinterDevice;
  return place;
}

}  // namespace

std::string readDestinationSetting(const std::string& value, DestinationRequest& request) {
  request = DestinationRequest();
  const std::string prefix = kDrawnPrefix;
  if (value.empty() || sameIgnoringCase(value, kPrinterDevice)) return std::string();
  if (value[0] == '/') {
    request.outputFile = value;
    request.printerBytes = true;
  } else if (sameIgnoringCase(value, kDrawnWord)) {
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

bool namesDestination(const DestinationRequest& request) {
  return !request.outputFile.empty() || !request.printer.empty() || request.drawn || request.view;
}

bool sameDestination(const DestinationRequest& a, const DestinationRequest& b) {
  const DestinationRequest one = spelt(a);
  const DestinationRequest other = spelt(b);
  if (one.drawn != other.drawn || one.view != other.view) return false;
  // Spoolers take a printer's name in any case.
  if (!sameIgnoringCase(one.printer, other.printer)) return false;
  if (one.outputFile.empty() || other.outputFile.empty()) {
    return one.outputFile.empty() && other.outputFile.empty();
  }
  return sameFile(one.outputFile, other.outputFile);
}
