// The checks that make a file the user's alone: its owner and its permissions, read from the file
// that was opened (O_NOFOLLOW), so that a link or another file put in its place between a check
// and a use is never read or written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/private_file.h"
#include "platform/translation.h"

namespace {

// What makes a file or folder no longer the user's alone, or empty when nothing does.
std::string linkFault() { return translate("it is a symbolic link, which is not followed here"); }

std::string faultOf(const struct stat& status, bool folder) {
  if (S_ISLNK(status.st_mode)) return linkFault();
  if (folder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode)) {
    return folder ? translate("it is not a folder") : translate("it is not a plain file");
  }
  if (status.st_uid != geteuid()) return translate("it belongs to another user");
  if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    return translate("other users may read or change it");
  }
  return std::string();
}

bool refuse(const std::string& path, const std::string& fault, std::string& reason) {
  reason = formatMessage(translate("{0}: {1}"), {path, fault});
  return false;
}

bool failWith(const std::string& path, int error, std::string& reason) {
  return refuse(path, fileErrorText(error), reason);
}

}  // namespace

bool privateFileExists(const std::string& path) {
  struct stat status = {};
  return lstat(path.c_str(), &status) == 0;
}

bool isPrivateFileOrNothing(const std::string& path, std::string& reason) {
  struct stat status = {};
  if (lstat(path.c_str(), &status) != 0) {
    return errno == ENOENT || failWith(path, errno, reason);
  }
  const std::string fault = faultOf(status, false);
  return fault.empty() || refuse(path, fault, reason);
}

bool isPrivateFolder(const std::string& folder, std::string& reason) {
  struct stat status = {};
  if (lstat(folder.c_str(), &status) != 0) return failWith(folder, errno, reason);
  const std::string fault = faultOf(status, true);
  return fault.empty() || refuse(folder, fault, reason);
}

bool makePrivateFolder(const std::string& folder, std::string& reason) {
  if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
  return failWith(folder, errno, reason);
}

bool createPrivateFileBeside(const std::string& path, const std::string& bytes,
                             std::string& createdPath, std::string& reason) {
  std::string pattern = path + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  // mkstemp makes the file the user's alone (0600), and O_CLOEXEC keeps it from the viewer.
  const int descriptor = mkostemp(buffer.data(), O_CLOEXEC);
  if (descriptor < 0) return failWith(path, errno, reason);
  createdPath = buffer.data();
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  const int error = done == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
  // Flushed before it takes the old file's place, so that a crash leaves one whole file or the
  // other.
  const bool synced = error == 0 && fsync(descriptor) == 0;
  const int syncError = errno;
  if (close(descriptor) == 0 && synced) return true;
  unlink(createdPath.c_str());
  return failWith(createdPath, error != 0 ? error : syncError, reason);
}

bool readCheckedPrivateFile(const std::string& path, size_t limit, std::string& bytes,
                            std::string& reason) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    if (errno == ELOOP) return refuse(path, linkFault(), reason);
    return failWith(path, errno, reason);
  }
  struct stat status = {};
  std::string fault =
      fstat(descriptor, &status) == 0 ? faultOf(status, false) : std::strerror(errno);
  if (fault.empty() && static_cast<size_t>(status.st_size) > limit) {
    fault = translate("it is too large");
  }
  bytes.clear();
  std::vector<char> piece(65536);
  while (fault.empty()) {
    const ssize_t count = read(descriptor, piece.data(), piece.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) fault = std::strerror(errno);
    if (count <= 0) break;
    bytes.append(piece.data(), static_cast<size_t>(count));
    if (bytes.size() > limit) fault = translate("it is too large");
  }
  close(descriptor);
  return fault.empty() || refuse(path, fault, reason);
}
