#ifndef TIMETABLE_PLATFORM_TRUSTED_FILE_WIN32_H_
#define TIMETABLE_PLATFORM_TRUSTED_FILE_WIN32_H_

#include <windows.h>

#include "platform/trusted_file.h"

// The one check of an open file or folder under the rule: its kind, a link (a reparse point), a
// second name, and for the machine's rule its security descriptor.
TrustFault faultOfHandle(HANDLE file, TrustRule rule, bool folder);

// The machine's rule on a security descriptor: owned by the administrators or the system, and no
// write, delete or change of permissions allowed to users, everyone or authenticated users (an
// absent list of permissions allows everyone everything).
TrustFault machineFaultOfSecurity(PSECURITY_DESCRIPTOR security);

#endif  // TIMETABLE_PLATFORM_TRUSTED_FILE_WIN32_H_
