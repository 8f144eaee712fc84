#ifndef TIMETABLE_PLATFORM_TRUSTED_FILE_H_
#define TIMETABLE_PLATFORM_TRUSTED_FILE_H_

#include <cstddef>
#include <string>

// Whether a file or folder may be trusted: whether anyone but the people a rule names could have
// put it there or changed it. Every file the program trusts goes through one of these rules, and
// each platform answers them with one check of the owner, the permissions, the links and the
// folder the file lies in.
enum class TrustRule {
  // The user's alone: the user's own, which no one else may change, in a folder of the same kind.
  // A symbolic link in the file's place is never followed, and a file has no second name (a hard
  // link), under which it could be read or changed elsewhere. The support log, the kept forms
  // and their state folder. Others may read it where the user lets them: the forms' files are
  // made for the user alone, and what matters is that no one swaps them.
  kUsersAlone,
  // The user's or root's (Windows: the administrators' or the system's), which no one else may
  // change, in a folder where no one else could put another file in its place (where others may
  // write, only a sticky folder, as /tmp, which lets them remove only their own entries). A link
  // is followed when the user or root made it. cacert.pem in the working folder.
  kUsersOrRoots,
  // Root's only (Windows: owned by the administrators or the system, with no write for users),
  // for a machine's file or folder that every user reads and none may change: the site's policy
  // and the machine's copies.
  kMachines,
};

// What makes a file or folder untrusted; kNone when nothing does.
enum class TrustFault {
  kNone,
  kPlantedLink,           // A link on the way that another user put in a folder others may write.
  kLink,                  // A symbolic link in the file's place, where none is followed.
  kLinkOfAnother,         // A link in the file's place that someone the rule does not name made.
  kNotPlainFile,          // A folder, a device or a pipe where a file belongs.
  kNotFolder,             // Something else where a folder belongs.
  kOwner,                 // Its owner is not one the rule names.
  kWritableByOthers,      // Others than its owner may change it.
  kHardLink,              // It has another name as well.
  kFolderOthersMayWrite,  // It lies in a folder where others could put another file instead.
};

// Why a fault makes the file untrusted, in the user's words, as a phrase that follows its name:
// "belongs to another user". The owner the rule names is the platform's (trustedOwnerText).
std::string trustFaultText(TrustFault fault, TrustRule rule);

// The name's fault and the phrase together: "/path belongs to another user".
std::string trustRefusal(const std::string& path, TrustFault fault, TrustRule rule);

// Who may own what the rule trusts, besides the user: "root" (platform).
std::string trustedOwnerText(TrustRule rule);

// The fault of what is at path under the rule, or kNone; nothing there is no fault (a file the
// program will make). A folder is taken where a link leads, unless the link was planted.
TrustFault trustFaultOf(const std::string& path, TrustRule rule, bool folder);

// Whether a symbolic link on the way from path to what it names may have been planted by another
// user: a link in any place of the path, or of a path a link leads to, in a folder that others
// than the user and root may write, sticky or not, made by someone other than the user or root.
// Following it would let that user choose which file this program writes or reads; the reason
// then says so. Windows has no such folders: false.
bool isPlantedLink(const std::string& path, std::string& reason);

// A whole file read only when it may be trusted, from the very file that was checked.
struct TrustedFileBytes {
  std::string bytes;  // At most limit + 1 of them, so that a longer file shows as one.
  int error = 0;      // The system's errno when it could not be opened or read; ENOENT for none.
  TrustFault fault = TrustFault::kNone;
  std::string reason;  // Why it was not read, in the user's words; empty when it was.
};
TrustedFileBytes readTrustedFile(const std::string& path, TrustRule rule, size_t limit);

// Makes the user's folder, and any folder above it that is missing, for the user alone, or
// checks the one there under kUsersAlone. False, with the reason naming the folder, when it
// cannot be made or trusted.
bool requireUsersFolder(const std::string& folder, std::string& reason);

// Whether a machine-wide folder may be trusted (kMachines), for files that every user reads from
// it. False, with the reason naming the folder, when it may not.
bool trustMachineFolder(const std::string& folder, std::string& reason);

// Each platform supplies these.

// Makes one folder that the user alone may enter; its parent must exist. True when it is there.
bool makeUsersFolder(const std::string& folder, std::string& reason);

#endif  // TIMETABLE_PLATFORM_TRUSTED_FILE_H_
