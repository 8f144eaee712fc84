#ifndef TIMETABLE_SERVICE_ONLINE_LOOKUP_H_
#define TIMETABLE_SERVICE_ONLINE_LOOKUP_H_

#include <array>
#include <optional>
#include <string>

#include "service/service_request.h"

// Slot 0 is always empty, slot 1 holds the mass in tonnes, slot 2 the length; both as decimal
// text, and both empty when the train or the value is not known.
using TrainData = std::array<std::string, 3>;

extern const char* const kOnlineTrainsQuery;
// Only the entries with indices below this are examined.
const int kOnlineTrainScanLimit = 9999;

// Searches the answer to the online list query for the train number (digits only) while the
// answer is read, so the list is never held as decoded values. Only the "message" list's entries
// below kOnlineTrainScanLimit are examined; entries that are not objects or have no numeric
// "trainNo" are passed over, and a "message" that is not an array reads as empty. On a match it
// fills trainData with the entry's "dataMass" in tonnes and "dataLength" and returns true;
// without one it leaves trainData unchanged. An answer that is not JSON, JSON but neither an
// object nor null, or JSON nested deeper than kMaxAnswerDepth is thrown as RequestFailed.
bool searchOnlineAnswer(const ServiceAnswer& answer, const std::string& trainNumber,
                        TrainData& trainData);

// What looking up the train in the list of trains online gave: found, not in the list, or the
// request's failure.
struct TrainDataLookup {
  bool found = false;
  std::optional<RequestFailure> failure;
};

// Fetches the list of trains online and searches it. Mass and length only decorate the form, so
// neither a failed request nor a train missing from the list ends the run: either is told for
// the caller to show, and trainData stays as it was. An answer over the size limit is not a
// failed request: its RequestFailed (kTooLarge) passes through and ends the run.
TrainDataLookup lookUpTrainData(std::string trainNumber, TrainData& trainData);

#endif  // TIMETABLE_SERVICE_ONLINE_LOOKUP_H_
