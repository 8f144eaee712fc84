#include "driver/kept_forms.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "platform/file_beside.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"

const int kKeptFormCount = 5;
const int64_t kKeptFormHours = 12;
// A form of 99 rows is some 60 KB; anything far larger is no form of ours.
const size_t kKeptFormLimit = 4 * 1024 * 1024;

namespace {

const int64_t kSecondsPerHour = 3600;
const char kHeading[] = "timetable-print kept form";
const char kLockName[] = "forms.lock";
// Forms kept by 1.5.0 hold carriage returns before their line feeds and lack this fact.
const char kLineEnds[] = "line ends: LF";

std::string folderOfForms() { return supportLogFolder(); }

// One fact a line, "name: value", then an empty line and the bytes.
std::string fileText(const KeptForm& form) {
  return std::string(kHeading) + "\nversion: " + oneLine(form.version) +
         "\ntrain: " + oneLine(form.trainNumber) + "\nlabel: " + oneLine(form.trainLabel) +
         "\nfetched: " + std::to_string(form.fetchedAt) + "\nrows: " + std::to_string(form.rows) +
         "\nwarning: " + oneLine(form.warning) + "\n" + kLineEnds +
         "\nbytes: " + std::to_string(form.bytes.size()) + "\n\n" + form.bytes;
}

bool readNumber(const std::string& text, int64_t& number) {
  if (text.empty() || text.size() > 18) return false;
  size_t at = text[0] == '-' ? 1 : 0;
  if (at == text.size()) return false;
  for (size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  number = std::stoll(text);
  return true;
}

// A 1.5.0 form's line ends as a form's text has them: each carriage return before a line feed
// was added for the printer.
std::string withoutCarriageReturnsOfLines(const std::string& bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size(); ++at) {
    if (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') continue;
    text += bytes[at];
  }
  return text;
}

bool parseFileText(const std::string& text, KeptForm& form) {
  const size_t end = text.find("\n\n");
  if (end == std::string::npos ||
      text.compare(0, sizeof kHeading, std::string(kHeading) + "\n") != 0) {
    return false;
  }
  int64_t rows = -1;
  int64_t size = -1;
  bool fetched = false;
  bool lineFeedsAlone = false;
  for (size_t at = sizeof kHeading; at < end;) {
    const size_t lineEnd = text.find('\n', at);
    const std::string line = text.substr(at, (lineEnd < end ? lineEnd : end) - at);
    at = lineEnd < end ? lineEnd + 1 : end;
    if (line == kLineEnds) lineFeedsAlone = true;
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string name = line.substr(0, colon);
    const std::string value = line.substr(colon + 2);
    if (name == "version") form.version = value;
    if (name == "train") form.trainNumber = value;
    if (name == "label") form.trainLabel = value;
    if (name == "warning") form.warning = value;
    if (name == "fetched") fetched = readNumber(value, form.fetchedAt);
    if (name == "rows" && !readNumber(value, rows)) return false;
    if (name == "bytes" && !readNumber(value, size)) return false;
  }
  form.bytes = text.substr(end + 2);
  form.rows = static_cast<int32_t>(rows);
  // A file cut short, or grown, is no longer the form that was printed.
  if (!fetched || rows <= 0 || size < 0 || static_cast<size_t>(size) != form.bytes.size()) {
    return false;
  }
  if (!lineFeedsAlone) form.bytes = withoutCarriageReturnsOfLines(form.bytes);
  return true;
}

// Moves each kept form a number up, the oldest first so that each move replaces a form already
// moved on, and puts the new one first. Every form moved must still be the user's alone.
bool rotateAndPutFirst(FileBeside& newForm, std::string& reason) {
  for (int number = kKeptFormCount - 1; number >= 1; --number) {
    const std::string from = keptFormPath(number);
    if (!entryExists(from)) continue;
    const std::string to = keptFormPath(number + 1);
    for (const std::string& path : {from, to}) {
      const TrustFault fault = trustFaultOf(path, TrustRule::kUsersAlone, false);
      if (fault != TrustFault::kNone) {
        reason = trustRefusal(path, fault, TrustRule::kUsersAlone);
        return false;
      }
    }
    if (!replaceFile(from, to, reason)) return false;
  }
  const std::string first = keptFormPath(1);
  const TrustFault fault = trustFaultOf(first, TrustRule::kUsersAlone, false);
  if (fault != TrustFault::kNone) {
    reason = trustRefusal(first, fault, TrustRule::kUsersAlone);
    return false;
  }
  return putFileBesideInPlace(newForm, first, reason);
}

}  // namespace

std::string keptFormPath(int number) {
  const std::string folder = folderOfForms();
  if (folder.empty()) return std::string();
  return pathInFolder(folder, "form-" + std::to_string(number) + ".kept");
}

KeepOutcome keepForm(const KeptForm& form, std::string& reason) {
  const std::string folder = folderOfForms();
  if (folder.empty()) {
    reason = translate("the system names no folder for the kept forms");
    return KeepOutcome::kFailed;
  }
  const std::string text = fileText(form);
  if (text.size() > kKeptFormLimit) {
    reason = formatMessage(translate("the form is not kept for a reprint, as it is larger than "
                                     "{0} MB, which a reprint does not read"),
                           {std::to_string(kKeptFormLimit / (1024 * 1024))});
    return KeepOutcome::kTooLarge;
  }
  if (!requireUsersFolder(folder, reason)) return KeepOutcome::kFailed;
  // Written whole first: a full disk leaves the kept forms as they were.
  FileBeside newForm;
  int cleanup = 0;
  bool written = false;
  holdInterrupts([&] {
    if (!startFileBeside(keptFormPath(1), NewFileAccess::kUsersAlone, newForm, reason)) return;
    cleanup = addInterruptCleanup([&newForm] { dropFileBeside(newForm); });
    errno = 0;
    written = std::fwrite(text.data(), 1, text.size(), newForm.file) == text.size();
    if (!written) reason = fileErrorText(errno != 0 ? errno : EIO);
    written = written && completeFileBeside(newForm, reason);
  });
  FileLock lock;
  bool kept = false;
  if (written) written = takeFileLock(pathInFolder(folder, kLockName), lock, reason);
  // The moves and the new form's rename together, or none of them, on an interrupt.
  holdInterrupts([&] {
    kept = written && rotateAndPutFirst(newForm, reason);
    dropFileBeside(newForm);
    if (cleanup != 0) removeInterruptCleanup(cleanup);
  });
  releaseFileLock(lock);
  return kept ? KeepOutcome::kKept : KeepOutcome::kFailed;
}

KeptFormAge keptFormAge(const KeptForm& form, int64_t now) {
  if (form.fetchedAt > now) return KeptFormAge::kFromTheFuture;
  if (now - form.fetchedAt > kKeptFormHours * kSecondsPerHour) return KeptFormAge::kTooOld;
  return KeptFormAge::kFresh;
}

int lastKeptFormNumber() {
  for (int number = 1; number <= kKeptFormCount; ++number) {
    const std::string path = keptFormPath(number);
    if (!path.empty() && entryExists(path)) return number;
  }
  return 0;
}

bool readKeptForm(int number, KeptForm& form, bool& absent, std::string& reason) {
  const std::string path = keptFormPath(number);
  absent = path.empty() || !entryExists(path);
  if (absent) return false;
  const std::string folder = folderOfForms();
  const TrustFault folderFault = trustFaultOf(folder, TrustRule::kUsersAlone, true);
  if (folderFault != TrustFault::kNone) {
    reason = trustRefusal(folder, folderFault, TrustRule::kUsersAlone);
    return false;
  }
  const TrustedFileBytes read = readTrustedFile(path, TrustRule::kUsersAlone, kKeptFormLimit);
  reason = read.reason.empty() && read.bytes.size() > kKeptFormLimit ? translate("it is too large")
                                                                     : read.reason;
  if (!reason.empty()) {
    reason = formatMessage(translate("{0}: {1}"), {path, reason});
    return false;
  }
  form = KeptForm();
  if (!parseFileText(read.bytes, form)) {
    reason = formatMessage(translate("{0}: it is not a whole kept form"), {path});
    return false;
  }
  return true;
}

std::string localTimeOf(int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  const std::tm* local = std::localtime(&time);
  char text[64] = "";
  if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local) == 0) {
    return std::to_string(seconds);
  }
  return text;
}
