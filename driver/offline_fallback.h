#ifndef TIMETABLE_DRIVER_OFFLINE_FALLBACK_H_
#define TIMETABLE_DRIVER_OFFLINE_FALLBACK_H_

// A run's timetable from the service, or from a copy kept earlier when the service cannot give it
// and the site allows copies (the setting offline).
#include <cstdint>
#include <string>

#include "driver/print_job_contents.h"

// Takes the train's timetable from the service into the job. When offlineHours is above 0, the
// service cannot give the timetable and a copy may stand in (copyMayStandIn), the newest usable
// copy at most offlineHours old is taken instead, with a warning that says why and how old it
// is; with none, the error is as without copies, after a notice of why no copy was used. With
// offlineHours 0 it is the service's answer or its error, as ever. An answer that may be kept as
// a copy is left in the job's answer.
void fetchOrCopyTimetable(PrintJob& job, const std::string& regionCode, int64_t offlineHours);

// Keeps the job's answer as the user's copy of its train, once the form is printed whole; a copy
// that cannot be kept leaves the run as it is, and the log says why.
void keepTimetableCopy(const PrintJob& job);

#endif  // TIMETABLE_DRIVER_OFFLINE_FALLBACK_H_
