#ifndef TIMETABLE_DRIVER_PREFETCH_H_
#define TIMETABLE_DRIVER_PREFETCH_H_

// --prefetch [TRAIN ...]: fetches the trains' timetables now and keeps each as a copy, so that
// copies are there when the service cannot be used later: the machine's copies when it runs as
// the system's administrator, else the user's.
#include <string>
#include <vector>

#include "service/request_failure.h"
#include "service/service_settings.h"

// Whether a failed request ends the batch: a fault of the service, the proxy or the connection,
// which every later train would meet again, one time-out after another. A fault in one train's
// answer goes on to the next train.
bool endsPrefetch(FailureKind kind);

// Fetches and keeps each train, in order, with one line per train on standard output, the
// trains after a fault that ends the batch listed as not tried. Returns the exit status: 0 when
// every train was kept, 1 otherwise. The service requests must have been started.
int runPrefetch(const std::vector<std::string>& trains);

#endif  // TIMETABLE_DRIVER_PREFETCH_H_
