#include <windows.h>
// After windows.h, which they need.
#include <sddl.h>
#include <shlobj.h>

#include <cstdio>

#include "platform/file_beside.h"
#include "platform/file_system.h"
#include "platform/machine_folder.h"
#include "platform/machine_folder_win32.h"
#include "platform/utf8.h"
#include "platform/wide_text_win32.h"

const wchar_t kMachineFolderAccess[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;GRGX;;;BU)";

namespace {

bool makeOneFolder(const std::string& folder, std::string& reason) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kMachineFolderAccess, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    reason = systemMessage(GetLastError());
    return false;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  const BOOL made = CreateDirectoryW(utf8ToWide(folder).c_str(), &attributes);
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  if (made || error == ERROR_ALREADY_EXISTS) return true;
  reason = folder + ": " + systemMessage(error);
  return false;
}

}  // namespace

// As the shell knows %ProgramData%, whatever the variable says.
std::string machineCopiesFolder() {
  PWSTR folder = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder) != S_OK) {
    CoTaskMemFree(folder);
    return std::string();
  }
  const std::string path = utf8FromWide(folder) + "\\timetable-print\\copies";
  CoTaskMemFree(folder);
  return path;
}

bool runsAsAdministrator() { return IsUserAnAdmin() != FALSE; }

// ProgramData itself is there; the program's folder and its copies get the protected list.
bool makeMachineFolder(const std::string& folder, std::string& reason) {
  const size_t copies = folder.find_last_of('\\');
  if (copies == std::string::npos) return makeOneFolder(folder, reason);
  return makeOneFolder(folder.substr(0, copies), reason) && makeOneFolder(folder, reason);
}

bool writeMachineFile(const std::string& path, const std::string& bytes, std::string& reason) {
  // The folder's access list lets every user read what is in it.
  return writeFileBeside(path, bytes, NewFileAccess::kUsual, reason);
}
