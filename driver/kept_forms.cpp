#include "driver/kept_forms.h"

#include <ctime>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/private_file.h"
#include "platform/support_log.h"
#include "platform/translation.h"

const int kKeptFormCount = 5;
const int64_t kKeptFormHours = 12;

bool isTooOldToPrintAgain(int64_t fetchedAt, int64_t now) {
  const int64_t kSecondsPerHour = 3600;
  return now - fetchedAt > kKeptFormHours * kSecondsPerHour;
}

namespace {

// A form of 99 rows is some 60 KB; anything far larger is no form of ours.
const size_t kKeptFormLimit = 4 * 1024 * 1024;
const char kHeading[] = "timetable-print kept form";

std::string folderOfForms() { return supportLogFolder(); }

// One fact a line, "name: value", then an empty line and the bytes.
std::string fileText(const KeptForm& form) {
  return std::string(kHeading) + "\nversion: " + oneLine(form.version) +
         "\ntrain: " + oneLine(form.trainNumber) + "\nlabel: " + oneLine(form.trainLabel) +
         "\nfetched: " + std::to_string(form.fetchedAt) + "\nrows: " + std::to_string(form.rows) +
         "\nwarning: " + oneLine(form.warning) + "\nbytes: " + std::to_string(form.bytes.size()) +
         "\n\n" + form.bytes;
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

bool parseFileText(const std::string& text, KeptForm& form) {
  const size_t end = text.find("\n\n");
  if (end == std::string::npos ||
      text.compare(0, sizeof kHeading, std::string(kHeading) + "\n") != 0) {
    return false;
  }
  int64_t rows = -1;
  int64_t size = -1;
  bool fetched = false;
  for (size_t at = sizeof kHeading; at < end;) {
    const size_t lineEnd = text.find('\n', at);
    const std::string line = text.substr(at, (lineEnd < end ? lineEnd : end) - at);
    at = lineEnd < end ? lineEnd + 1 : end;
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
  return fetched && rows > 0 && size >= 0 && static_cast<size_t>(size) == form.bytes.size();
}

}  // namespace

std::string keptFormPath(int number) {
  const std::string folder = folderOfForms();
  if (folder.empty()) return std::string();
  return pathInFolder(folder, "form-" + std::to_string(number) + ".kept");
}

bool keepForm(const KeptForm& form, std::string& reason) {
  const std::string folder = folderOfForms();
  if (folder.empty()) {
    reason = "the system names no folder for the kept forms";
    return false;
  }
  if (!requirePrivateFolder(folder, reason)) return false;
  // The oldest first, so that each move replaces a form already moved on.
  for (int number = kKeptFormCount - 1; number >= 1; --number) {
    const std::string from = keptFormPath(number);
    if (privateFileExists(from) && !movePrivateFile(from, keptFormPath(number + 1), reason)) {
      return false;
    }
  }
  return writePrivateFile(keptFormPath(1), fileText(form), reason);
}

bool readKeptForm(int number, KeptForm& form, bool& absent, std::string& reason) {
  const std::string path = keptFormPath(number);
  absent = path.empty() || !privateFileExists(path);
  if (absent) return false;
  std::string folderReason;
  if (!isPrivateFolder(folderOfForms(), folderReason)) {
    reason = folderReason;
    return false;
  }
  std::string text;
  if (!readPrivateFile(path, kKeptFormLimit, text, reason)) return false;
  form = KeptForm();
  if (!parseFileText(text, form)) {
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
