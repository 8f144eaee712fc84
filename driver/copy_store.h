#ifndef TIMETABLE_DRIVER_COPY_STORE_H_
#define TIMETABLE_DRIVER_COPY_STORE_H_

// Where the copies of timetable answers lie: the user's, in a folder "copies" of the user's
// state folder (beside the support log), one file per train that is the user's alone
// (TrustRule::kUsersAlone), the newest of each train; and the machine's, which its administrator
// fetches for every user (platform/machine_folder.h), read only when no one but the
// administrator can have changed them (TrustRule::kMachines).
#include <cstdint>
#include <string>
#include <vector>

#include "driver/timetable_copy.h"

// The user's copies are of at most this many trains; keeping one more removes the oldest.
extern const int kMaxUserCopies;

enum class CopyOwner { kUser, kMachine };

// A copy that was looked for, and what came of reading it.
struct CopyCandidate {
  CopyOwner owner = CopyOwner::kUser;
  std::string path;
  bool present = false;  // A file is there.
  std::string refusal;   // Why it is not used, in the user's words; empty when it may be.
  TimetableCopy copy;    // Whole when it is there and not refused.
};

// The user's folder of copies; empty when the system names no state folder.
std::string userCopiesFolder();

// The file of the train's copy in the folder.
std::string copyPathIn(const std::string& folder, const std::string& trainNumber);

// Keeps the copy as the user's copy of its train, written beside and put in place in one step,
// and then removes the oldest copies beyond kMaxUserCopies. False, with why, when it could not be
// kept.
bool keepUserCopy(const TimetableCopy& copy, std::string& reason);

// Keeps the copy as the machine's copy of its train, for every user to read; for the system's
// administrator, who alone may write there.
bool keepMachineCopy(const TimetableCopy& copy, std::string& reason);

// The copies of one owner, for --check: how many can be used, their oldest and newest fetch
// times, and why each of the others cannot.
struct CopySummary {
  std::string folder;
  int usable = 0;
  int64_t oldest = 0;
  int64_t newest = 0;
  std::vector<std::string> refusals;
};
CopySummary summarizeCopies(CopyOwner owner, int64_t now);

// The user's and the machine's copy of the train, as they are at now.
std::vector<CopyCandidate> copiesOfTrain(const std::string& trainNumber, int64_t now);

#endif  // TIMETABLE_DRIVER_COPY_STORE_H_
