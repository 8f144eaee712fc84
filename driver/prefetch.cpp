#include "driver/prefetch.h"

#include <ctime>
#include <iostream>
#include <stdexcept>

#include "driver/copy_store.h"
#include "driver/print_job_contents.h"
#include "driver/request_failure_text.h"
#include "driver/run_event.h"
#include "driver/timetable_copy.h"
#include "platform/machine_folder.h"
#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/service_message.h"
#include "service/timetable_query.h"

namespace {

const char* const kRegionCode = "eu";

// Fetches and keeps one train; an empty result when it was kept, else why not.
std::string prefetchOne(const std::string& train, bool machine) {
  const ServiceAnswer answer = fetchTimetableAnswer(train, kRegionCode);
  if (!holdsTimetable(serviceMessageOf(answer.body, answer.httpStatus, answer.url))) {
    return formatMessage(translate("the timetable service has no timetable for train {0}"),
                         {train});
  }
  if (answer.httpStatus < 200 || answer.httpStatus > 299) {
    return formatMessage(translate("the timetable came with the HTTP status {0}"),
                         {std::to_string(answer.httpStatus)});
  }
  TimetableCopy copy;
  copy.trainNumber = train;
  copy.fetchedAt = static_cast<int64_t>(std::time(nullptr));
  copy.answer = answer.body;
  std::string reason;
  const bool kept = machine ? keepMachineCopy(copy, reason) : keepUserCopy(copy, reason);
  return kept ? std::string() : reason;
}

}  // namespace

bool endsPrefetch(FailureKind kind) {
  // No kind is left to a default, so that a kind added later must be decided here.
  switch (kind) {
    case FailureKind::kRefused:
    case FailureKind::kNotFound:
    case FailureKind::kConnectTimedOut:
    case FailureKind::kNoAnswerInTime:
    case FailureKind::kNothingAnswered:
    case FailureKind::kSignInRefused:
    case FailureKind::kTunnelRefused:
    case FailureKind::kProxyGarbled:
    case FailureKind::kNotTrusted:
    case FailureKind::kWrongName:
    case FailureKind::kExpired:
    case FailureKind::kTrustUnusable:
    case FailureKind::kTlsFailed:
    case FailureKind::kCutOff:
    case FailureKind::kNotAvailable:
    case FailureKind::kNoService:
    case FailureKind::kServiceError:
    case FailureKind::kOutOfMemory:
    case FailureKind::kOther:
      return true;
    // The train's own answer.
    case FailureKind::kTooLarge:
    case FailureKind::kNotJson:
    case FailureKind::kNotAnObject:
    case FailureKind::kTooDeep:
      return false;
  }
  return true;
}

int runPrefetch(const std::vector<std::string>& trains) {
  const bool machine = runsAsAdministrator();
  const std::string folder = machine ? machineCopiesFolder() : userCopiesFolder();
  logLine("prefetch of " + std::to_string(trains.size()) + " trains into " + folder);
  int status = 0;
  size_t done = 0;
  for (; done < trains.size(); ++done) {
    const std::string& train = trains[done];
    std::string why;
    std::string logged;  // The log's words are English, whatever the user's language.
    bool ends = false;
    try {
      why = prefetchOne(train, machine);
      logged = why;
    } catch (const RequestFailed& failed) {
      why = requestFailureText(failed.failure, StartedFrom::kCommandLine);
      logged = failed.failure.url + " " + failureLogKey(failed.failure);
      ends = endsPrefetch(failed.failure.kind);
      noteEventFailure(failed.failure.kind);
    }
    if (why.empty()) {
      std::cout << formatMessage(translate("{0}: stored"), {train}) << std::endl;
      logLine("prefetched train " + train);
      continue;
    }
    status = 1;
    std::cout << oneLine(formatMessage(translate("{0}: not stored: {1}"), {train, why}))
              << std::endl;
    logLine("train " + train + " not prefetched: " + logged);
    if (ends) {
      ++done;
      break;
    }
  }
  for (; done < trains.size(); ++done) {
    std::cout << formatMessage(translate("{0}: not tried"), {trains[done]}) << std::endl;
  }
  return status;
}
