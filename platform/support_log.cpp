#include "platform/support_log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/file_beside.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"

// Past this size the log starts anew, its old lines kept in one older file: the two never hold
// much more than twice this, however long the program is used.
const int64_t kSupportLogLimit = 1024 * 1024;

namespace {

const char kLogName[] = "timetable-print.log";
const char kOlderSuffix[] = ".1";

// Where the log is, found once; whether its place was checked; and why the run's lines could not
// be written, after which a run does not try again for each line.
struct LogState {
  bool placeKnown = false;
  std::string path;
  bool placeChecked = false;
  std::string failure;
  // The failure is the place's: the state folder, which the kept forms share, is not the user's
  // alone.
  bool placeRefused = false;
};

LogState state;
// The interrupt's thread logs the end of an interrupted run while the main thread may be writing
// a line: the state and the C library's time conversion serve one at a time.
std::mutex stateLock;

// The log's folder as it is named, without the separator that ends folderOf's.
std::string logFolderOf(const std::string& path) {
  std::string folder = folderOf(path);
  if (folder.size() > 1) folder.pop_back();
  return folder;
}

// Why the log's place is not the user's alone: a link planted on the way to it, or its folder, the
// log or the older log of another user's or open to others' writes. Empty when it is.
std::string refusalOf(const std::string& path) {
  const std::string folder = logFolderOf(path);
  TrustFault fault = trustFaultOf(folder, TrustRule::kUsersAlone, true);
  if (fault != TrustFault::kNone) return trustRefusal(folder, fault, TrustRule::kUsersAlone);
  for (const std::string& file : {path, path + kOlderSuffix}) {
    fault = trustFaultOf(file, TrustRule::kUsersAlone, false);
    if (fault != TrustFault::kNone) return trustRefusal(file, fault, TrustRule::kUsersAlone);
  }
  return std::string();
}

// The local time with its offset from UTC, as ISO 8601 writes it: 2026-12-09T15:30:01+01:00.
// The offset is the difference of the local and the UTC calendar, which every platform's C
// library gives alike.
std::string localTimeText() {
  const std::time_t now = std::time(nullptr);
  const std::tm* localPart = std::localtime(&now);
  if (localPart == nullptr) return "(no time)";
  const std::tm local = *localPart;
  const std::tm* utcPart = std::gmtime(&now);
  if (utcPart == nullptr) return "(no time)";
  const std::tm utc = *utcPart;
  long days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  long minutes = (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
  const char sign = minutes < 0 ? '-' : '+';
  minutes = std::labs(minutes);
  char text[64];
  const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  std::snprintf(text + length, sizeof text - length, "%c%02ld:%02ld", sign, minutes / 60,
                minutes % 60);
  return text;
}

// Keeps only the last kSupportLogLimit bytes of the file (logTailToKeep): a log grown far past
// the limit (by an earlier version, or by hand) is cut down when it is set aside.
void keepOnlyTail(const std::string& path) {
  const std::string text = logTailToKeep(tailOfFile(path, kSupportLogLimit));
  if (text.empty()) return;
  std::string reason;
  if (!writeFileBeside(path, text, NewFileAccess::kUsersAlone, reason)) return;
}

// A full log becomes the older one, and the line about to be written starts a new one. Lines of
// another run that opened the log before the rename still go to the older one, whole.
void setAsideWhenFull(const std::string& path) {
  const int64_t size = sizeOfFile(path);
  if (size <= kSupportLogLimit) return;
  const std::string older = path + kOlderSuffix;
  std::string reason;
  if (!replaceFile(path, older, reason)) return;
  if (size > 2 * kSupportLogLimit) keepOnlyTail(older);
}

// The log's path, found at the first call.
std::string placeOfLog() {
  if (!state.placeKnown) {
    state.placeKnown = true;
    const std::string folder = supportLogFolder();
    if (!folder.empty()) {
      state.path = pathInFolder(folder, kLogName);
    }
  }
  return state.path;
}

void writeLogLine(const std::string& text) {
  if (!state.failure.empty()) return;
  const std::string path = placeOfLog();
  if (path.empty()) return;
  // Checked once: only the user can change the place once it is the user's alone.
  if (!state.placeChecked) {
    state.placeChecked = true;
    state.failure = refusalOf(path);
    state.placeRefused = !state.failure.empty();
    if (state.placeRefused) return;
  }
  const std::string line =
      localTimeText() + " " + std::to_string(processNumber()) + " " + oneLine(text) + "\n";
  setAsideWhenFull(path);
  std::string reason;
  if (appendToFile(path, line, reason)) return;
  // The folders are made only when the log cannot be written, so that a run usually adds no more
  // than the write of its lines. Another user may have made the folder first, where the folder
  // above is theirs: it is checked again.
  state.placeRefused = true;
  if (!requireUsersFolder(logFolderOf(path), state.failure)) return;
  state.failure = refusalOf(path);
  if (!state.failure.empty()) return;
  state.placeRefused = false;
  reason.clear();
  if (appendToFile(path, line, reason)) return;
  state.failure = reason;
}

}  // namespace

std::string logTailToKeep(const std::string& tail) {
  const size_t firstEnd = tail.find('\n');
  // The line cut at the tail's start goes, unless it is the only one.
  if (firstEnd == std::string::npos || firstEnd + 1 == tail.size()) return tail;
  return tail.substr(firstEnd + 1);
}

std::string supportLogPath() {
  const std::lock_guard<std::mutex> hold(stateLock);
  return placeOfLog();
}

std::string supportLogFailure() {
  const std::lock_guard<std::mutex> hold(stateLock);
  return state.failure;
}

namespace {

bool supportLogPlaceRefused() {
  const std::lock_guard<std::mutex> hold(stateLock);
  return state.placeRefused;
}

}  // namespace

std::string supportLogText() {
  const std::string path = supportLogPath();
  if (path.empty()) {
    return translate("there is no support log, as the system names no folder for it");
  }
  const std::string failure = supportLogFailure();
  if (!failure.empty()) {
    // The failure names the file or folder at fault.
    return formatMessage(supportLogPlaceRefused()
                             ? translate("this run keeps no support log and no form for a "
                                         "reprint: {0}")
                             : translate("this run keeps no support log: {0}"),
                         {failure});
  }
  return formatMessage(translate("the support log is {0}"), {path});
}

void logLine(const std::string& text) {
  const int savedErrno = errno;
  const unsigned long savedCode = systemErrorCode();
  try {
    const std::lock_guard<std::mutex> hold(stateLock);
    writeLogLine(text);
  } catch (...) {
    // The log is no part of the run: whatever failed here, the run goes on as it would.
  }
  errno = savedErrno;
  setSystemErrorCode(savedCode);
}
