#include "driver/timetable_copy.h"

#include <algorithm>
#include <ctime>

#include "platform/messages.h"
#include "platform/translation.h"
#include "service/service_request.h"

const size_t kCopyFileLimit = kMaxTimetableAnswerBytes + 1024;

namespace {

const char kHeading[] = "timetable-print copy";

// A number of decimal digits, without a sign: no time or size of ours is negative.
bool readNumber(const std::string& text, int64_t& number) {
  if (text.empty() || text.size() > 18) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  number = std::stoll(text);
  return true;
}

}  // namespace

std::string copyFileText(const TimetableCopy& copy) {
  return std::string(kHeading) + "\ntrain: " + oneLine(copy.trainNumber) +
         "\nfetched: " + std::to_string(copy.fetchedAt) +
         "\nbytes: " + std::to_string(copy.answer.size()) + "\n\n" + copy.answer;
}

CopyFault readCopyText(const std::string& text, const std::string& trainNumber, int64_t now,
                       TimetableCopy& copy) {
  const size_t end = text.find("\n\n");
  const std::string heading = std::string(kHeading) + "\n";
  if (end == std::string::npos || text.compare(0, heading.size(), heading) != 0) {
    return CopyFault::kDamaged;
  }
  std::string train;
  int64_t fetched = -1;
  int64_t size = -1;
  for (size_t at = heading.size(); at < end;) {
    const size_t lineEnd = std::min(text.find('\n', at), end);
    const std::string line = text.substr(at, lineEnd - at);
    at = lineEnd + 1;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) return CopyFault::kDamaged;
    const std::string name = line.substr(0, colon);
    const std::string value = line.substr(colon + 2);
    if (name == "train") train = value;
    if (name == "fetched" && !readNumber(value, fetched)) return CopyFault::kDamaged;
    if (name == "bytes" && !readNumber(value, size)) return CopyFault::kDamaged;
  }
  if (train != trainNumber || fetched < 0 || size < 0) return CopyFault::kDamaged;
  if (static_cast<uint64_t>(size) > kMaxTimetableAnswerBytes) return CopyFault::kTooLarge;
  // A file cut short, or grown, is no longer the answer that was fetched.
  if (static_cast<size_t>(size) != text.size() - end - 2) return CopyFault::kDamaged;
  copy.trainNumber = train;
  copy.fetchedAt = fetched;
  if (fetched > now) return CopyFault::kFromTheFuture;
  copy.answer = text.substr(end + 2);
  return CopyFault::kNone;
}

std::string copyFaultText(CopyFault fault, const std::string& path, int64_t fetchedAt) {
  switch (fault) {
    case CopyFault::kNone:
      return std::string();
    case CopyFault::kDamaged:
      return formatMessage(translate("{0}: it is not a whole copy of the train's timetable"),
                           {path});
    case CopyFault::kTooLarge:
      return formatMessage(
          translate("{0}: it is larger than a timetable may be ({1} bytes at most)"),
          {path, std::to_string(kMaxTimetableAnswerBytes)});
    case CopyFault::kFromTheFuture:
      return formatMessage(translate("{0}: it is dated {1} UTC, which is still to come; the "
                                     "computer's clock may be wrong"),
                           {path, utcTimeOf(fetchedAt)});
  }
  return std::string();
}

std::string utcTimeOf(int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  const std::tm* utc = std::gmtime(&time);
  char text[64] = "";
  if (utc == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", utc) == 0) {
    return std::to_string(seconds);
  }
  return text;
}

std::string ageText(int64_t seconds) {
  const int64_t minutes = seconds / 60;
  if (minutes < 60) return formatMessage(translate("{0} min"), {std::to_string(minutes)});
  return formatMessage(translate("{0} h {1} min"),
                       {std::to_string(minutes / 60), std::to_string(minutes % 60)});
}
