#include <gtest/gtest.h>
#include <windows.h>

// sddl.h needs windows.h first.
#include <sddl.h>

#include <string>

#include "platform/machine_folder_win32.h"
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
}

TEST(MachineFaultOfSecurity, NoListOfPermissionsLetsEveryoneChangeIt) {
  // A descriptor whose list is null, built as the system reports one; wine does not read the SDDL
  // "NO_ACCESS_CONTROL" into one.
  SECURITY_DESCRIPTOR security;
  ASSERT_TRUE(InitializeSecurityDescriptor(&security, SECURITY_DESCRIPTOR_REVISION));
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  ASSERT_TRUE(SetSecurityDescriptorOwner(&security, administrators, FALSE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&security, TRUE, nullptr, FALSE));
  EXPECT_EQ(machineFaultOfSecurity(&security), TrustFault::kWritableByOthers);
}

TEST(MachineFaultOfSecurity, TheFolderOfCopiesIsMadeAsTheMachinesRuleTrustsIt) {
  // An administrator or SYSTEM makes it, and owns it.
  for (const wchar_t* owner : {L"O:BA", L"O:SY"}) {
    EXPECT_EQ(faultOf((std::wstring(owner) + kMachineFolderAccess).c_str()), TrustFault::kNone)
        << owner;
  }
}

}  // namespace
