#include <gtest/gtest.h>
#include <windows.h>

// sddl.h needs windows.h first.
#include <sddl.h>

#include "platform/trusted_file_win32.h"

namespace {

// Wine has one user and no administrators to own a file, so the machine's rule is tested on
// security descriptors built here, as the system would report them.
TrustFault faultOf(const wchar_t* descriptor) {
  PSECURITY_DESCRIPTOR security = nullptr;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                   &security, nullptr));
  const TrustFault fault = machineFaultOfSecurity(security);
  LocalFree(security);
  return fault;
}

TEST(MachineFaultOfSecurity, TheAdministratorsOrTheSystemOwnItAndNoUserMayChangeIt) {
  EXPECT_EQ(faultOf(L"O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;BU)(A;;FR;;;WD)"), TrustFault::kNone);
  EXPECT_EQ(faultOf(L"O:SYD:(A;;FA;;;SY)(A;;FRFX;;;AU)"), TrustFault::kNone);
  // An entry only inherited by what a folder holds is not the folder's.
  EXPECT_EQ(faultOf(L"O:BAD:(A;;FA;;;BA)(A;OIIO;FA;;;BU)"), TrustFault::kNone);
  EXPECT_EQ(faultOf(L"O:BUD:(A;;FA;;;BA)"), TrustFault::kOwner);
  EXPECT_EQ(faultOf(L"O:BAD:(A;;FA;;;BA)(A;;FW;;;BU)"), TrustFault::kWritableByOthers);
  EXPECT_EQ(faultOf(L"O:BAD:(A;;FA;;;BA)(A;;GA;;;WD)"), TrustFault::kWritableByOthers);
  EXPECT_EQ(faultOf(L"O:BAD:(A;;FA;;;BA)(A;;SD;;;AU)"), TrustFault::kWritableByOthers);
  // No list of permissions at all lets everyone do everything.
  EXPECT_EQ(faultOf(L"O:BAD:NO_ACCESS_CONTROL"), TrustFault::kWritableByOthers);
}

}  // namespace
