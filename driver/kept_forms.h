#ifndef TIMETABLE_DRIVER_KEPT_FORMS_H_
#define TIMETABLE_DRIVER_KEPT_FORMS_H_

#include <cstdint>
#include <string>

// The last forms printed whole, kept so that a form lost to a jam can be printed again without
// the network and without questions (--reprint). They lie beside the support log, in the user's
// state folder, one private file each (platform/private_file.h): form-1.kept is the last, and
// keeping a new one moves each older one a number up, the oldest beyond kKeptFormCount dropped.

extern const int kKeptFormCount;
// A kept form older than this is no longer printed again: its timetable may have changed.
extern const int64_t kKeptFormHours;

// Whether a form fetched at fetchedAt is older than kKeptFormHours at now (both seconds since
// 1970, UTC).
bool isTooOldToPrintAgain(int64_t fetchedAt, int64_t now);

// A form and what it shows.
struct KeptForm {
  std::string trainNumber;  // As typed.
  std::string trainLabel;   // Category and number, as on the form.
  int64_t fetchedAt = 0;    // When the timetable was fetched: seconds since 1970, UTC.
  int32_t rows = 0;
  std::string version;  // Of the program that printed it.
  std::string warning;  // That the form is incomplete (rows left out), or empty.
  std::string bytes;    // The printer's bytes, line feeds with their carriage returns.
};

// Keeps the form as the last one. False, with why, when it could not be kept.
bool keepForm(const KeptForm& form, std::string& reason);

// Reads the kept form of the number, 1 the last. False, with why, when there is none or it
// cannot be used; absent is then true when there is simply none of that number.
bool readKeptForm(int number, KeptForm& form, bool& absent, std::string& reason);

// The form's file, for the log and for messages.
std::string keptFormPath(int number);

// The local time of seconds since 1970 as 2026-12-09 05:30.
std::string localTimeOf(int64_t seconds);

#endif  // TIMETABLE_DRIVER_KEPT_FORMS_H_
