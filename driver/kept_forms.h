#ifndef TIMETABLE_DRIVER_KEPT_FORMS_H_
#define TIMETABLE_DRIVER_KEPT_FORMS_H_

#include <cstddef>
#include <cstdint>
#include <string>

// The last forms printed whole, kept so that a form lost to a jam can be printed again without
// the network and without questions (--reprint). They lie beside the support log, in the user's
// state folder, one file of the user's alone each (platform/trusted_file.h): form-1.kept is the
// last, and keeping a new one moves each older one a number up, the oldest beyond kKeptFormCount
// dropped. The new form is written first; the moves and its taking the first place happen under
// a lock file in the folder, so that runs sharing the folder never lose one another's forms.

extern const int kKeptFormCount;
// A kept form older than this is no longer printed again: its timetable may have changed.
extern const int64_t kKeptFormHours;
// The most bytes a kept form's file may have; a larger form is not kept, as it could not be read.
extern const size_t kKeptFormLimit;

// A form and what it shows.
struct KeptForm {
  std::string trainNumber;  // As typed.
  std::string trainLabel;   // Category and number, as on the form.
  int64_t fetchedAt = 0;    // When the timetable was fetched: seconds since 1970, UTC.
  int32_t rows = 0;
  std::string version;  // Of the program that printed it.
  std::string warning;  // That the form is incomplete (rows left out), or empty.
  // The printer's bytes as the form's text gives them, before the carriage returns that each
  // destination adds to the line feeds as it does for a form printed anew.
  std::string bytes;
};

enum class KeepOutcome { kKept, kTooLarge, kFailed };

// Keeps the form as the last one. Otherwise says why: kTooLarge for a form over kKeptFormLimit.
KeepOutcome keepForm(const KeptForm& form, std::string& reason);

// Whether a kept form may be printed again at now (seconds since 1970): one older than
// kKeptFormHours may show a changed timetable, and one fetched in the future was not fetched by
// this clock as it runs now.
enum class KeptFormAge { kFresh, kTooOld, kFromTheFuture };
KeptFormAge keptFormAge(const KeptForm& form, int64_t now);

// The number of the last form kept when form-1 is missing: the lowest number there, or 0.
int lastKeptFormNumber();

// Reads the kept form of the number, 1 the last. False, with why, when there is none or it
// cannot be used; absent is then true when there is simply none of that number.
bool readKeptForm(int number, KeptForm& form, bool& absent, std::string& reason);

// The form's file, for the log and for messages.
std::string keptFormPath(int number);

// The local time of seconds since 1970 as 2026-12-09 05:30.
std::string localTimeOf(int64_t seconds);

#endif  // TIMETABLE_DRIVER_KEPT_FORMS_H_
