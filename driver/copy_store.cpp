#include "driver/copy_store.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "platform/file_beside.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/interrupt.h"
#include "platform/machine_folder.h"
#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/trusted_file.h"

const int kMaxUserCopies = 200;

namespace {

const char kCopyExtension[] = ".copy";

// The copy's bytes when the rule trusts the file, else why it is not used, naming it.
std::string readCopyFile(const std::string& path, TrustRule rule, std::string& refusal) {
  const TrustedFileBytes read = readTrustedFile(path, rule, kCopyFileLimit);
  if (read.fault != TrustFault::kNone && read.fault != TrustFault::kNotPlainFile) {
    refusal = trustRefusal(path, read.fault, rule);
  } else if (!read.reason.empty()) {
    refusal = formatMessage("{0}: {1}", {path, read.reason});
  }
  return read.bytes;
}

bool isCopyName(const std::string& name) {
  const size_t extension = sizeof kCopyExtension - 1;
  return name.size() > extension && name[0] != '.' &&
         name.compare(name.size() - extension, extension, kCopyExtension) == 0;
}

// The oldest copies beyond the limit go; a copy that cannot be read counts as the oldest.
void removeOldestCopies(const std::string& folder) {
  std::vector<std::string> names;
  std::string reason;
  if (!listFolder(folder, names, reason)) {
    logLine("could not list the copies in " + folder + ": " + reason);
    return;
  }
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& name) { return !isCopyName(name); }),
              names.end());
  if (names.size() <= static_cast<size_t>(kMaxUserCopies)) return;
  std::vector<std::pair<int64_t, std::string>> aged;
  const auto now = static_cast<int64_t>(std::time(nullptr));
  for (const std::string& name : names) {
    const std::string path = pathInFolder(folder, name);
    const std::string train = name.substr(0, name.size() - (sizeof kCopyExtension - 1));
    std::string refusal;
    const std::string text = readCopyFile(path, TrustRule::kUsersAlone, refusal);
    TimetableCopy copy;
    const bool read = refusal.empty() && readCopyText(text, train, now, copy) == CopyFault::kNone;
    aged.emplace_back(read ? copy.fetchedAt : -1, path);
  }
  std::sort(aged.begin(), aged.end());
  for (size_t i = 0; i + static_cast<size_t>(kMaxUserCopies) < aged.size(); ++i) {
    removeFile(aged[i].second);
    logLine("removed the oldest copy " + aged[i].second);
  }
}

// The copies' names in the folder, without the extension; none when it cannot be listed.
std::vector<std::string> trainsIn(const std::string& folder) {
  std::vector<std::string> names;
  std::string reason;
  std::vector<std::string> trains;
  if (folder.empty() || !listFolder(folder, names, reason)) return trains;
  for (const std::string& name : names) {
    if (isCopyName(name))
      trains.push_back(name.substr(0, name.size() - (sizeof kCopyExtension - 1)));
  }
  return trains;
}

// The owner's copy of the train in the folder, read under the owner's rule. The user's are the
// user's alone; every user reads the machine's, so they count only when no one but the system's
// administrator can have put them there or changed them.
CopyCandidate copyIn(CopyOwner owner, const std::string& folder, const std::string& trainNumber,
                     int64_t now) {
  CopyCandidate candidate;
  candidate.owner = owner;
  if (folder.empty()) return candidate;
  candidate.path = copyPathIn(folder, trainNumber);
  candidate.present = entryExists(candidate.path);
  if (!candidate.present) return candidate;
  const TrustRule rule = owner == CopyOwner::kUser ? TrustRule::kUsersAlone : TrustRule::kMachines;
  if (rule == TrustRule::kMachines && !trustMachineFolder(folder, candidate.refusal)) {
    return candidate;
  }
  const std::string text = readCopyFile(candidate.path, rule, candidate.refusal);
  if (!candidate.refusal.empty()) return candidate;
  const CopyFault fault = text.size() > kCopyFileLimit
                              ? CopyFault::kTooLarge
                              : readCopyText(text, trainNumber, now, candidate.copy);
  candidate.refusal = copyFaultText(fault, candidate.path, candidate.copy.fetchedAt);
  return candidate;
}

std::string copiesFolderOf(CopyOwner owner) {
  return owner == CopyOwner::kUser ? userCopiesFolder() : machineCopiesFolder();
}

}  // namespace

std::string userCopiesFolder() {
  const std::string folder = supportLogFolder();
  if (folder.empty()) return std::string();
  return pathInFolder(folder, "copies");
}

std::string copyPathIn(const std::string& folder, const std::string& trainNumber) {
  return pathInFolder(folder, trainNumber + kCopyExtension);
}

bool keepUserCopy(const TimetableCopy& copy, std::string& reason) {
  const std::string folder = userCopiesFolder();
  if (folder.empty()) {
    reason = translate("the system names no folder for the copies");
    return false;
  }
  if (!requireUsersFolder(folder, reason)) return false;
  bool kept = false;
  // An interrupt leaves the old copy or the new one, and no part of a file beside it.
  holdInterrupts([&] {
    kept = writeFileBeside(copyPathIn(folder, copy.trainNumber), copyFileText(copy),
                           NewFileAccess::kUsersAlone, reason);
  });
  if (!kept) return false;
  removeOldestCopies(folder);
  return true;
}

bool keepMachineCopy(const TimetableCopy& copy, std::string& reason) {
  const std::string folder = machineCopiesFolder();
  if (folder.empty()) {
    reason = translate("the system names no folder for the machine's copies");
    return false;
  }
  return makeMachineFolder(folder, reason) &&
         writeMachineFile(copyPathIn(folder, copy.trainNumber), copyFileText(copy), reason);
}

CopySummary summarizeCopies(CopyOwner owner, int64_t now) {
  CopySummary summary;
  summary.folder = copiesFolderOf(owner);
  for (const std::string& train : trainsIn(summary.folder)) {
    const CopyCandidate copy = copyIn(owner, summary.folder, train, now);
    if (!copy.refusal.empty()) {
      summary.refusals.push_back(copy.refusal);
      continue;
    }
    const int64_t fetched = copy.copy.fetchedAt;
    summary.oldest = summary.usable == 0 ? fetched : std::min(summary.oldest, fetched);
    summary.newest = summary.usable == 0 ? fetched : std::max(summary.newest, fetched);
    ++summary.usable;
  }
  return summary;
}

std::vector<CopyCandidate> copiesOfTrain(const std::string& trainNumber, int64_t now) {
  return {copyIn(CopyOwner::kUser, userCopiesFolder(), trainNumber, now),
          copyIn(CopyOwner::kMachine, machineCopiesFolder(), trainNumber, now)};
}
