#ifndef TIMETABLE_SERVICE_ONLINE_LOOKUP_H_
#define TIMETABLE_SERVICE_ONLINE_LOOKUP_H_

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "service/service_request.h"

// Slot 0 is always empty, slot 1 holds the mass in tonnes, slot 2 the length; both as decimal
// text, and both empty when the train or the value is not known.
using TrainData = std::array<std::string, 3>;

extern const char* const kOnlineTrainsQuery;
// Only the entries with indices below this are examined.
const int kOnlineTrainScanLimit = 9999;

// Searches a decoded list of trains online for the train number (digits only). On a match it
// fills trainData and returns true; without one it leaves trainData unchanged. Entries that are
// not objects or have no numeric "trainNo" are passed over, and a list that is not an array reads
// as empty.
bool searchOnlineTrains(const nlohmann::json& list, const std::string& trainNumber,
                        TrainData& trainData);

// The same search on the undecoded answer to the online list query, done while the answer is
// read, so the list is never held as decoded values: the result, trainData and every error are
// those of searchOnlineTrains(serviceMessageOf(body, httpStatus, url), ...).
bool searchOnlineAnswer(const ServiceAnswer& answer, const std::string& trainNumber,
                        TrainData& trainData);

// Fetches the list of trains online and searches it. Mass and length only decorate the form, so
// neither a failed request nor a train missing from the list ends the run: either gives the text
// of a notice for the caller to show, and trainData stays as it was. A train that is found gives
// an empty text. An answer over the size limit is not a failed request: its std::length_error
// passes through and ends the run.
std::string lookupOnlineTrain(std::string trainNumber, TrainData& trainData);

#endif  // TIMETABLE_SERVICE_ONLINE_LOOKUP_H_
