// A user's profile is the user's own by its permissions, which the system keeps: what is left to
// refuse there is a link (a reparse point) in place of a file or folder, and a second name. The
// machine's files are checked by their security descriptors.
#include "platform/trusted_file_win32.h"

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

namespace {

std::wstring wide(const std::string& path) { return wideFromCodePage(path, CP_UTF8); }

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return IsWellKnownSid(sid, type) != FALSE; }

// What lets its holder change a file or a folder's entries, or its permissions.
const ACCESS_MASK kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                              FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                              WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

HANDLE openInPlace(const std::string& path, bool folder) {
  return CreateFileW(wide(path).c_str(), GENERIC_READ | READ_CONTROL,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0),
                     nullptr);
}

}  // namespace

std::string trustedOwnerText(TrustRule) { return translate("the administrators or the system"); }

TrustFault machineFaultOfSecurity(PSECURITY_DESCRIPTOR security) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(security, &owner, &defaulted) || owner == nullptr ||
      !(isWellKnown(owner, WinBuiltinAdministratorsSid) || isWellKnown(owner, WinLocalSystemSid))) {
    return TrustFault::kOwner;
  }
  BOOL present = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(security, &present, &list, &defaulted)) return TrustFault::kOwner;
  if (!present || list == nullptr) return TrustFault::kWritableByOthers;
  for (DWORD index = 0; index < list->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(list, index, &entry)) return TrustFault::kWritableByOthers;
    const auto* header = static_cast<ACE_HEADER*>(entry);
    // An entry only inherited applies to what the folder will hold, not to the folder.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
      continue;
    }
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    PSID sid = const_cast<DWORD*>(&allowed->SidStart);
    const bool others = isWellKnown(sid, WinBuiltinUsersSid) || isWellKnown(sid, WinWorldSid) ||
                        isWellKnown(sid, WinAuthenticatedUserSid);
    if (others && (allowed->Mask & kChanging) != 0) return TrustFault::kWritableByOthers;
  }
  return TrustFault::kNone;
}

TrustFault faultOfHandle(HANDLE file, TrustRule rule, bool folder) {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(file, &information)) {
    return folder ? TrustFault::kNotFolder : TrustFault::kNotPlainFile;
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return TrustFault::kLink;
  const bool isFolder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder != isFolder || (!folder && GetFileType(file) != FILE_TYPE_DISK)) {
    return folder ? TrustFault::kNotFolder : TrustFault::kNotPlainFile;
  }
  if (!folder && rule == TrustRule::kUsersAlone && information.nNumberOfLinks != 1) {
    return TrustFault::kHardLink;
  }
  if (rule != TrustRule::kMachines) return TrustFault::kNone;
  PSECURITY_DESCRIPTOR security = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      nullptr, nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS) {
    return TrustFault::kOwner;
  }
  const TrustFault fault = machineFaultOfSecurity(security);
  LocalFree(security);
  return fault;
}

bool isPlantedLink(const std::string&, std::string&) { return false; }

TrustFault trustFaultOf(const std::string& path, TrustRule rule, bool folder) {
  const HANDLE file = openInPlace(path, folder);
  if (file == INVALID_HANDLE_VALUE) return TrustFault::kNone;
  const TrustFault fault = faultOfHandle(file, rule, folder);
  CloseHandle(file);
  return fault;
}

TrustedFileBytes readTrustedFile(const std::string& path, TrustRule rule, size_t limit) {
  TrustedFileBytes read;
  const HANDLE file = openInPlace(path, false);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    read.error = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
    read.reason = read.error == ENOENT ? fileErrorText(ENOENT) : systemMessage(error);
    return read;
  }
  read.fault = faultOfHandle(file, rule, false);
  if (read.fault != TrustFault::kNone) {
    CloseHandle(file);
    read.reason = read.fault == TrustFault::kNotPlainFile ? notRegularFileText()
                                                          : trustFaultText(read.fault, rule);
    return read;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  std::FILE* stream = descriptor < 0 ? nullptr : _fdopen(descriptor, "rb");
  if (stream == nullptr) {
    if (descriptor < 0) CloseHandle(file);
    if (descriptor >= 0) _close(descriptor);
    read.error = EIO;
    read.reason = fileErrorText(EIO);
    return read;
  }
  const FileBytes bytes = readStreamUpTo(stream, limit);
  std::fclose(stream);
  read.bytes = bytes.bytes;
  read.error = bytes.error;
  read.reason = bytes.reason;
  return read;
}

// It takes the access rules of the local application data, which are the user's.
bool makeUsersFolder(const std::string& folder, std::string& reason) {
  if (CreateDirectoryW(wide(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  reason = formatMessage(translate("{0}: {1}"), {folder, systemMessage(GetLastError())});
  return false;
}
