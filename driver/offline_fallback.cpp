#include "driver/offline_fallback.h"

#include <ctime>
#include <optional>
#include <stdexcept>
#include <utility>

#include "driver/copy_choice.h"
#include "driver/copy_store.h"
#include "driver/request_failure_text.h"
#include "driver/run_event.h"
#include "driver/timetable_copy.h"
#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/service_message.h"
#include "service/timetable_query.h"

namespace {

bool isSuccess(long httpStatus) { return httpStatus >= 200 && httpStatus <= 299; }

// The error the run would end with, in the same words.
std::string failureText(const std::optional<RequestFailed>& failed, nlohmann::json message,
                        const std::string& trainNumber) {
  if (failed) {
    return requestFailureText(
        failed->failure, startedFromMenu() ? StartedFrom::kStartMenu : StartedFrom::kCommandLine);
  }
  PrintJob scratch;
  scratch.trainNumber = trainNumber;
  try {
    takeTimetable(std::move(message), scratch);
  } catch (const std::runtime_error& refused) {
    return refused.what();
  }
  return std::string();
}

// Why no copy is printed instead, in one line.
std::string noCopyText(const CopyChoice& choice, const std::string& trainNumber,
                       int64_t offlineHours) {
  switch (choice.outcome) {
    case CopyChoice::Outcome::kChosen:
      break;
    case CopyChoice::Outcome::kNone:
      return formatMessage(translate("no copy of the timetable of train {0} is kept, so none "
                                     "could be printed instead"),
                           {trainNumber});
    case CopyChoice::Outcome::kTooOld:
      return formatMessage(
          translate("the newest copy of the timetable of train {0}, fetched {1} UTC, is {2} older "
                    "than the setting offline allows ({3} h), so it was not printed instead"),
          {trainNumber, utcTimeOf(choice.chosen.copy.fetchedAt),
           ageText(choice.age - offlineHours * 3600), std::to_string(offlineHours)});
    case CopyChoice::Outcome::kRefused:
      return formatMessage(translate("no copy of the timetable of train {0} could be printed "
                                     "instead: {1}"),
                           {trainNumber, choice.refusals.front()});
  }
  return std::string();
}

}  // namespace

void fetchOrCopyTimetable(PrintJob& job, const std::string& regionCode, int64_t offlineHours) {
  if (offlineHours <= 0) {
    takeTimetable(fetchTimetable(job.trainNumber, regionCode), job);
    job.fetchedAt = static_cast<int64_t>(std::time(nullptr));
    return;
  }
  TimetableFetch fetch;
  std::optional<RequestFailed> failed;
  ServiceAnswer answer;
  nlohmann::json message;
  try {
    answer = fetchTimetableAnswer(job.trainNumber, regionCode);
    fetch.httpStatus = answer.httpStatus;
    message = serviceMessageOf(answer.body, answer.httpStatus, answer.url);
    fetch.holdsTimetable = holdsTimetable(message);
  } catch (const RequestFailed& failure) {
    fetch.failure = failure.failure.kind;
    failed = failure;
  }
  const auto now = static_cast<int64_t>(std::time(nullptr));
  if (!copyMayStandIn(fetch)) {
    if (failed) throw *failed;
    takeTimetable(std::move(message), job);
    job.fetchedAt = now;
    // Only an answer the service gave as such is kept: a timetable that came with an error's
    // status is printed, but not offered again later.
    if (isSuccess(answer.httpStatus)) job.answer = std::move(answer.body);
    return;
  }
  const CopyChoice choice = chooseCopy(copiesOfTrain(job.trainNumber, now), now, offlineHours);
  for (const std::string& refusal : choice.refusals) {
    logLine("a copy is not used: " + refusal);
    if (choice.outcome == CopyChoice::Outcome::kChosen) {
      notice(formatMessage(translate("a copy of the timetable is not used: {0}"), {refusal}));
    }
  }
  const std::string why = failureText(failed, message, job.trainNumber);
  if (choice.outcome != CopyChoice::Outcome::kChosen) {
    const std::string text = noCopyText(choice, job.trainNumber, offlineHours);
    logLine("no copy printed instead: " + text);
    notice(text);
    if (failed) throw *failed;
    takeTimetable(std::move(message), job);
    return;
  }
  const TimetableCopy& copy = choice.chosen.copy;
  nlohmann::json copied;
  try {
    copied = serviceMessageOf(copy.answer, 200, choice.chosen.path);
  } catch (const RequestFailed&) {
    notice(formatMessage(
        translate("no copy of the timetable of train {0} could be printed "
                  "instead: {1}"),
        {job.trainNumber, copyFaultText(CopyFault::kDamaged, choice.chosen.path, 0)}));
    if (failed) throw *failed;
    takeTimetable(std::move(message), job);
    return;
  }
  warning(formatMessage(
      translate("the form is printed from a copy of the timetable fetched {0} UTC, {1} ago, as "
                "the timetable service could not be used: {2}"),
      {utcTimeOf(copy.fetchedAt), ageText(choice.age), why}));
  logLine("timetable from the copy " + choice.chosen.path + ", fetched " +
          utcTimeOf(copy.fetchedAt) + " UTC");
  takeTimetable(std::move(copied), job);
  job.fetchedAt = copy.fetchedAt;
  job.fromCopy = true;
  noteEventCopy(copy.fetchedAt);
}

void keepTimetableCopy(const PrintJob& job) {
  if (job.answer.empty()) return;
  TimetableCopy copy;
  copy.trainNumber = job.trainNumber;
  copy.fetchedAt = job.fetchedAt;
  copy.answer = job.answer;
  std::string reason;
  if (keepUserCopy(copy, reason)) {
    logLine("kept the timetable as a copy in " + copyPathIn(userCopiesFolder(), job.trainNumber));
  } else {
    logLine("could not keep the timetable as a copy: " + reason);
  }
}
