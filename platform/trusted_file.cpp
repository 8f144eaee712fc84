#include "platform/trusted_file.h"

#include <cerrno>

#include "platform/file_system.h"
#include "platform/translation.h"

std::string trustFaultText(TrustFault fault, TrustRule rule) {
  switch (fault) {
    case TrustFault::kNone:
      break;
    case TrustFault::kPlantedLink:
      return translate(
          "is reached through a symbolic link that another user put in a folder "
          "others may write, so it is not followed");
    case TrustFault::kLink:
      return translate("is a symbolic link, which is not followed here");
    case TrustFault::kLinkOfAnother:
      return formatMessage(translate("is a link that another user than you or {0} made"),
                           {trustedOwnerText(rule)});
    case TrustFault::kNotPlainFile:
      return translate("is not a plain file");
    case TrustFault::kNotFolder:
      return translate("is not a folder");
    case TrustFault::kOwner:
      if (rule == TrustRule::kUsersAlone) return translate("belongs to another user");
      return formatMessage(rule == TrustRule::kMachines
                               ? translate("belongs to another user than {0}")
                               : translate("belongs to another user than you or {0}"),
                           {trustedOwnerText(rule)});
    case TrustFault::kWritableByOthers:
      return translate("may be changed by others than its owner");
    case TrustFault::kHardLink:
      return translate("has another name (a hard link), under which others could reach it");
    case TrustFault::kFolderOthersMayWrite:
      return translate("lies in a folder where others could put another file in its place");
  }
  return std::string();
}

std::string trustRefusal(const std::string& path, TrustFault fault, TrustRule rule) {
  return formatMessage(translate("{0} {1}"), {path, trustFaultText(fault, rule)});
}

namespace {

// A folder named without the separator that may end it, as the system reports it.
std::string withoutEndSeparator(const std::string& folder) {
  std::string name = folder;
  while (name.size() > 1 && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  return name;
}

bool refuseFolder(const std::string& folder, TrustRule rule, std::string& reason) {
  std::string planted;
  if (isPlantedLink(folder, planted)) {
    reason = formatMessage(translate("{0}: {1}"), {folder, planted});
    return false;
  }
  const TrustFault fault = trustFaultOf(folder, rule, true);
  if (fault == TrustFault::kNone) return true;
  reason = trustRefusal(folder, fault, rule);
  return false;
}

}  // namespace

bool requireUsersFolder(const std::string& name, std::string& reason) {
  const std::string folder = withoutEndSeparator(name);
  // No folder is made through a link another user planted on the way.
  if (!refuseFolder(folder, TrustRule::kUsersAlone, reason)) return false;
  // Every folder of the path that is not there yet, from the top down: $XDG_STATE_HOME or
  // ~/.local/state may not exist before the first run. Only the last one is the program's own.
  for (size_t at = folder.find_first_of("/\\", 1); at != std::string::npos;
       at = folder.find_first_of("/\\", at + 1)) {
    const std::string above = folder.substr(0, at);
    if (!above.empty() && above.back() != ':' && !isFolder(above) &&
        !makeUsersFolder(above, reason)) {
      return false;
    }
  }
  if (!isFolder(folder) && !makeUsersFolder(folder, reason)) return false;
  // Another user may have made a folder first, where a folder above is theirs.
  return refuseFolder(folder, TrustRule::kUsersAlone, reason);
}

bool trustMachineFolder(const std::string& name, std::string& reason) {
  const std::string folder = withoutEndSeparator(name);
  if (!isFolder(folder)) {
    reason = formatMessage(translate("{0}: {1}"), {folder, fileErrorText(ENOENT)});
    return false;
  }
  return refuseFolder(folder, TrustRule::kMachines, reason);
}
