#include "platform/file_beside.h"

#include <cerrno>

#include "platform/file_system.h"

bool startFileBeside(const std::string& path, NewFileAccess access, FileBeside& beside,
                     std::string& reason) {
  std::string created;
  beside.file = createFileBeside(path, access == NewFileAccess::kUsersAlone, created, reason);
  if (beside.file == nullptr) return false;
  beside.path = created;
  return true;
}

bool completeFileBeside(FileBeside& beside, std::string& reason) {
  if (beside.file == nullptr) return true;
  errno = 0;
  const bool synced = std::fflush(beside.file) == 0 && syncFile(beside.file);
  const int error = errno;
  const bool closed = std::fclose(beside.file) == 0;
  beside.file = nullptr;
  if (synced && closed) return true;
  reason = fileErrorText(!synced && error != 0 ? error : (errno != 0 ? errno : EIO));
  return false;
}

bool putFileBesideInPlace(FileBeside& beside, const std::string& path, std::string& reason) {
  if (!replaceFile(beside.path, path, reason)) return false;
  beside.path.clear();
  return true;
}

void dropFileBeside(FileBeside& beside) {
  if (beside.file != nullptr) std::fclose(beside.file);
  beside.file = nullptr;
  if (!beside.path.empty()) removeFile(beside.path);
  beside.path.clear();
}

bool writeFileBeside(const std::string& path, const std::string& bytes, NewFileAccess access,
                     std::string& reason) {
  FileBeside beside;
  bool written = startFileBeside(path, access, beside, reason);
  errno = 0;
  if (written && std::fwrite(bytes.data(), 1, bytes.size(), beside.file) != bytes.size()) {
    reason = fileErrorText(errno != 0 ? errno : EIO);
    written = false;
  }
  written =
      written && completeFileBeside(beside, reason) && putFileBesideInPlace(beside, path, reason);
  dropFileBeside(beside);
  return written;
}
