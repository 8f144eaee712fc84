#ifndef TIMETABLE_PLATFORM_TRUSTED_FILE_POSIX_H_
#define TIMETABLE_PLATFORM_TRUSTED_FILE_POSIX_H_

#include <sys/stat.h>

#include "platform/trusted_file.h"

// The one check of an entry's owner, permissions and names under the rule, for a file or folder
// already opened or looked at (fstat), so that what is checked is what is used.
TrustFault faultOfStatus(const struct stat& status, TrustRule rule, bool folder);

#endif  // TIMETABLE_PLATFORM_TRUSTED_FILE_POSIX_H_
