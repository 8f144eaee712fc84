#include "driver/copy_choice.h"

namespace {

bool isSuccess(long httpStatus) { return httpStatus >= 200 && httpStatus <= 299; }

}  // namespace

bool copyMayStandIn(const TimetableFetch& fetch) {
  if (!fetch.failure) return !fetch.holdsTimetable && !isSuccess(fetch.httpStatus);
  // No kind is left to a default, so that a kind added later must be decided here.
  switch (*fetch.failure) {
    // The service or the proxy could not be reached, or did not let us through.
    case FailureKind::kRefused:
    case FailureKind::kNotFound:
    case FailureKind::kConnectTimedOut:
    case FailureKind::kNoAnswerInTime:
    case FailureKind::kNothingAnswered:
    case FailureKind::kSignInRefused:
    case FailureKind::kTunnelRefused:
    case FailureKind::kProxyGarbled:
    // The secure connection failed: the service cannot be trusted to be the service.
    case FailureKind::kNotTrusted:
    case FailureKind::kWrongName:
    case FailureKind::kExpired:
    case FailureKind::kTrustUnusable:
    case FailureKind::kTlsFailed:
    // An answer came but cannot be read.
    case FailureKind::kCutOff:
    case FailureKind::kTooLarge:
    case FailureKind::kNotJson:
    case FailureKind::kNotAnObject:
    case FailureKind::kTooDeep:
    case FailureKind::kOutOfMemory:
    // The service's status says it cannot give it: still "later" after the retries, no service
    // at that address, or an error of its own.
    case FailureKind::kNotAvailable:
    case FailureKind::kNoService:
    case FailureKind::kServiceError:
    // libcurl's other faults: the timetable was not fetched either.
    case FailureKind::kOther:
      return true;
  }
  return false;
}

CopyChoice chooseCopy(const std::vector<CopyCandidate>& candidates, int64_t now, int64_t maxHours) {
  CopyChoice choice;
  const CopyCandidate* newest = nullptr;
  for (const CopyCandidate& candidate : candidates) {
    if (!candidate.present) continue;
    if (!candidate.refusal.empty()) {
      choice.refusals.push_back(candidate.refusal);
    } else if (newest == nullptr || candidate.copy.fetchedAt > newest->copy.fetchedAt) {
      newest = &candidate;
    }
  }
  if (newest == nullptr) {
    choice.outcome =
        choice.refusals.empty() ? CopyChoice::Outcome::kNone : CopyChoice::Outcome::kRefused;
    return choice;
  }
  choice.chosen = *newest;
  choice.age = now - newest->copy.fetchedAt;
  choice.outcome =
      choice.age <= maxHours * 3600 ? CopyChoice::Outcome::kChosen : CopyChoice::Outcome::kTooOld;
  return choice;
}
