// The owner and the permission bits tell who may change a file; the folder's bits who may put
// another file in its place; lstat and O_NOFOLLOW keep a link in the file's place from being
// followed where none may be.
#include "platform/trusted_file_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_system_posix.h"
#include "platform/translation.h"

namespace {

// The most symbolic links followed in a row, as the system's own limit.
const int kMaxLinks = 40;

bool ownerTrusted(uid_t owner, TrustRule rule) {
  switch (rule) {
    case TrustRule::kUsersAlone:
      return owner == geteuid();
    case TrustRule::kUsersOrRoots:
      return owner == geteuid() || owner == 0;
    case TrustRule::kMachines:
      return owner == 0;
  }
  return false;
}

// Whether others than the user and root may add, remove or rename entries of the folder.
bool othersMayWrite(const struct stat& folder) {
  return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0 ||
         !ownerTrusted(folder.st_uid, TrustRule::kUsersOrRoots);
}

// The names a path is made of, the last one first; empty names and "." left out.
std::vector<std::string> namesOf(const std::string& path) {
  std::vector<std::string> names;
  for (size_t end = path.size(); end > 0;) {
    const size_t slash = path.rfind('/', end - 1);
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = path.substr(start, end - start);
    if (!name.empty() && name != ".") names.push_back(name);
    end = slash == std::string::npos ? 0 : slash;
  }
  return names;
}

// The fault of the folder a file lies in: where others may write, they could put another file in
// its place. For a file of the user's or root's a sticky folder, as /tmp, will do: there others
// may remove only their own entries.
TrustFault faultOfFolderHolding(const std::string& path, TrustRule rule) {
  const std::string name = folderOf(path);
  struct stat folder = {};
  if (stat(name.empty() ? "." : name.c_str(), &folder) != 0) return TrustFault::kNone;
  const bool stickyWillDo = rule == TrustRule::kUsersOrRoots && (folder.st_mode & S_ISVTX) != 0;
  if (!ownerTrusted(folder.st_uid, rule) || (othersMayWrite(folder) && !stickyWillDo)) {
    return TrustFault::kFolderOthersMayWrite;
  }
  return TrustFault::kNone;
}

// The fault of a link in the file's own place under the rule.
TrustFault faultOfLink(const struct stat& link, TrustRule rule) {
  if (rule == TrustRule::kUsersAlone) return TrustFault::kLink;
  return ownerTrusted(link.st_uid, rule) ? TrustFault::kNone : TrustFault::kLinkOfAnother;
}

}  // namespace

std::string trustedOwnerText(TrustRule) { return translate("root"); }

TrustFault faultOfStatus(const struct stat& status, TrustRule rule, bool folder) {
  if (folder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode)) {
    return folder ? TrustFault::kNotFolder : TrustFault::kNotPlainFile;
  }
  if (!ownerTrusted(status.st_uid, rule)) return TrustFault::kOwner;
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return TrustFault::kWritableByOthers;
  // A second name could lie anywhere on the file system, where the user's own file would be
  // read or changed. The user's or root's files may have them: only their owners could make one
  // that matters.
  if (!folder && rule == TrustRule::kUsersAlone && status.st_nlink != 1) {
    return TrustFault::kHardLink;
  }
  return TrustFault::kNone;
}

bool isPlantedLink(const std::string& path, std::string& reason) {
  // Walked one name at a time, as the system resolves it: a link to a folder, anywhere on the
  // way, leads there as surely as a link in the last place does.
  std::string reached = !path.empty() && path.front() == '/' ? "/" : "";
  std::vector<std::string> ahead = namesOf(path);  // In reverse order: the next one last.
  for (int links = 0; !ahead.empty();) {
    const std::string name = ahead.back();
    ahead.pop_back();
    const std::string step =
        reached.empty() || reached.back() == '/' ? reached + name : reached + "/" + name;
    struct stat link;
    if (lstat(step.c_str(), &link) != 0) return false;
    if (!S_ISLNK(link.st_mode)) {
      reached = step;
      continue;
    }
    // Sticky or not: a sticky folder keeps others from removing the user's entries, but not
    // from making links of their own there.
    struct stat folder;
    const bool planted = stat(reached.empty() ? "." : reached.c_str(), &folder) == 0 &&
                         othersMayWrite(folder) &&
                         !ownerTrusted(link.st_uid, TrustRule::kUsersOrRoots);
    if (planted) {
      reason = formatMessage(translate("{0}: it is a symbolic link that another user put in a "
                                       "folder others may write, so it is not followed"),
                             {fileErrorText(EPERM)});
      return true;
    }
    std::string target = step;
    if (++links > kMaxLinks || !followLink(target)) return false;
    // The target's names come next, from the root or from the link's own folder.
    if (target.front() == '/') reached = "/";
    const std::vector<std::string> names =
        namesOf(target.substr(target.front() == '/' ? 0 : folderOf(step).size()));
    ahead.insert(ahead.end(), names.begin(), names.end());
  }
  return false;
}

TrustFault trustFaultOf(const std::string& path, TrustRule rule, bool folder) {
  std::string planted;
  if (isPlantedLink(path, planted)) return TrustFault::kPlantedLink;
  struct stat status = {};
  if (lstat(path.c_str(), &status) != 0) return TrustFault::kNone;
  // A folder is taken where it leads (the user may have moved ~/.local/state elsewhere); a file's
  // link is the rule's to allow.
  if (S_ISLNK(status.st_mode) && !folder && faultOfLink(status, rule) != TrustFault::kNone) {
    return faultOfLink(status, rule);
  }
  if (S_ISLNK(status.st_mode) && stat(path.c_str(), &status) != 0) return TrustFault::kNone;
  const TrustFault fault = faultOfStatus(status, rule, folder);
  if (fault != TrustFault::kNone || folder) return fault;
  return faultOfFolderHolding(path, rule);
}

TrustedFileBytes readTrustedFile(const std::string& path, TrustRule rule, size_t limit) {
  TrustedFileBytes read;
  const auto refuse = [&read, rule](TrustFault fault) {
    read.fault = fault;
    read.reason =
        fault == TrustFault::kNotPlainFile ? notRegularFileText() : trustFaultText(fault, rule);
    return read;
  };
  const auto fail = [&read](int error) {
    read.error = error;
    read.reason = fileErrorText(error);
    return read;
  };
  if (isPlantedLink(path, read.reason)) return refuse(TrustFault::kPlantedLink);
  struct stat status = {};
  if (lstat(path.c_str(), &status) != 0) return fail(errno);
  if (S_ISLNK(status.st_mode) && faultOfLink(status, rule) != TrustFault::kNone) {
    return refuse(faultOfLink(status, rule));
  }
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
  const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY |
                    (rule == TrustRule::kUsersAlone ? O_NOFOLLOW : 0);
  const int descriptor = open(path.c_str(), flags);
  if (descriptor < 0) return errno == ELOOP ? refuse(TrustFault::kLink) : fail(errno);
  // The file that was opened, not whatever the name leads to now.
  TrustFault fault = fstat(descriptor, &status) == 0 ? faultOfStatus(status, rule, false)
                                                     : TrustFault::kNotPlainFile;
  if (fault == TrustFault::kNone) fault = faultOfFolderHolding(path, rule);
  if (fault != TrustFault::kNone) {
    close(descriptor);
    return refuse(fault);
  }
  std::FILE* file = nullptr;
  if (fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0 ||
      (file = fdopen(descriptor, "rb")) == nullptr) {
    const int error = errno;
    close(descriptor);
    return fail(error);
  }
  const FileBytes bytes = readStreamUpTo(file, limit);
  std::fclose(file);
  read.bytes = bytes.bytes;
  read.error = bytes.error;
  read.reason = bytes.reason;
  return read;
}

bool makeUsersFolder(const std::string& folder, std::string& reason) {
  // As the XDG base directories ask: the user's alone.
  if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
  reason = formatMessage(translate("{0}: {1}"), {folder, fileErrorText(errno)});
  return false;
}
