#include "platform/private_file.h"

#include "platform/file_system.h"

bool requirePrivateFolder(const std::string& folder, std::string& reason) {
  // Every folder of the path that is not there yet, from the top down: $XDG_STATE_HOME or
  // ~/.local/state may not exist before the first run. Only the last one is the program's own.
  for (size_t at = folder.find_first_of("/\\", 1); at != std::string::npos;
       at = folder.find_first_of("/\\", at + 1)) {
    const std::string above = folder.substr(0, at);
    if (!above.empty() && above.back() != ':' && !isFolder(above) &&
        !makePrivateFolder(above, reason)) {
      return false;
    }
  }
  if (!privateFileExists(folder) && !makePrivateFolder(folder, reason)) return false;
  return isPrivateFolder(folder, reason);
}

bool readPrivateFile(const std::string& path, size_t limit, std::string& bytes,
                     std::string& reason) {
  return readCheckedPrivateFile(path, limit, bytes, reason);
}

bool writePrivateFile(const std::string& path, const std::string& bytes, std::string& reason) {
  if (!isPrivateFileOrNothing(path, reason)) return false;
  std::string created;
  if (!createPrivateFileBeside(path, bytes, created, reason)) return false;
  if (replaceFile(created, path, reason)) return true;
  removeFile(created);
  return false;
}

bool movePrivateFile(const std::string& from, const std::string& to, std::string& reason) {
  return isPrivateFileOrNothing(from, reason) && isPrivateFileOrNothing(to, reason) &&
         replaceFile(from, to, reason);
}
