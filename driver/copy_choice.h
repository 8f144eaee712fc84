#ifndef TIMETABLE_DRIVER_COPY_CHOICE_H_
#define TIMETABLE_DRIVER_COPY_CHOICE_H_

// Whether a copy of the timetable may stand in for the service's answer, and which copy.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/copy_store.h"
#include "service/request_failure.h"

// What came of asking the service for the timetable: a failed request, or an answer with its
// HTTP status and whether it holds a timetable.
struct TimetableFetch {
  std::optional<FailureKind> failure;
  long httpStatus = 0;
  bool holdsTimetable = false;
};

// Whether a copy may be printed instead: when the timetable could not be fetched (no connection,
// the proxy, the certificate, the time, an answer that cannot be read, or a status other than 2xx
// whose answer holds no timetable). Never when a 2xx answer says the train has no timetable, and
// never when the answer holds one, whatever its status.
bool copyMayStandIn(const TimetableFetch& fetch);

// The copy chosen, or why none is.
struct CopyChoice {
  enum class Outcome { kChosen, kNone, kTooOld, kRefused } outcome = Outcome::kNone;
  CopyCandidate chosen;               // The copy, for kChosen; the newest, for kTooOld.
  int64_t age = 0;                    // The chosen or newest copy's age in seconds.
  std::vector<std::string> refusals;  // Why each copy that is there is not used.
};

// The newest of the copies that may be used, if it is at most maxHours old at now.
CopyChoice chooseCopy(const std::vector<CopyCandidate>& candidates, int64_t now, int64_t maxHours);

#endif  // TIMETABLE_DRIVER_COPY_CHOICE_H_
