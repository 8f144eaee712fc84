#ifndef TIMETABLE_DRIVER_TIMETABLE_COPY_H_
#define TIMETABLE_DRIVER_TIMETABLE_COPY_H_

// A copy of a timetable answer, kept so that a form can still be printed when the service cannot
// be used: the answer's bytes as the service sent them, with when they were fetched. A copy is
// never taken for a fresh answer; the form printed from it says that it is one.
#include <cstddef>
#include <cstdint>
#include <string>

struct TimetableCopy {
  std::string trainNumber;  // As it was asked for.
  int64_t fetchedAt = 0;    // When the answer came: seconds since 1970, UTC.
  std::string answer;       // The service's answer, byte for byte.
};

// Why a copy that is there is not used.
enum class CopyFault {
  kNone,
  kDamaged,        // Not a whole copy of the train's timetable.
  kTooLarge,       // Larger than any timetable answer taken.
  kFromTheFuture,  // Fetched later than now: a clock was wrong, and its age cannot be told.
};

// The largest copy file read: the largest timetable answer and room for the heading.
extern const size_t kCopyFileLimit;

// The file that holds the copy: a heading of facts, an empty line, then the answer.
std::string copyFileText(const TimetableCopy& copy);

// Reads a copy file of the train, as it is at now (seconds since 1970). copy is whole when the
// result is kNone; its fetch time is set for kFromTheFuture too.
CopyFault readCopyText(const std::string& text, const std::string& trainNumber, int64_t now,
                       TimetableCopy& copy);

// Why the copy at path is not used, in the user's words.
std::string copyFaultText(CopyFault fault, const std::string& path, int64_t fetchedAt);

// The time in UTC as 2026-12-10 04:10, as the form's mark and the messages give it.
std::string utcTimeOf(int64_t seconds);

// An age in seconds as hours and minutes: "1 h 20 min", in the user's words.
std::string ageText(int64_t seconds);

#endif  // TIMETABLE_DRIVER_TIMETABLE_COPY_H_
