#include "platform/file_system_posix.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/translation.h"

// Replaces path by the target of the link it is; false when it is no link. A relative target is
// taken from the link's folder.
bool followLink(std::string& path) {
  std::vector<char> target(PATH_MAX);
  const ssize_t length = readlink(path.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<size_t>(length) >= target.size()) return false;
  const std::string text(target.data(), static_cast<size_t>(length));
  path = text.front() == '/' ? text : folderOf(path) + text;
  return true;
}

namespace {

// CAP_FOWNER lets a process act as the owner of any file, root's usual way past the rule of
// folders such as /tmp. Where the capability cannot be asked for, root is taken to have it.
bool actsAsAnyOwner() {
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return geteuid() == 0;
  return (data[CAP_FOWNER / 32].effective & (1u << (CAP_FOWNER % 32))) != 0;
}

// The most symbolic links followed in a row, as the system's own limit.
const int kMaxLinks = 40;

// The descriptor a name stands for by itself, or -1.
int descriptorOfName(const std::string& path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string start : {"/dev/fd/", "/proc/self/fd/"}) {
    if (path.compare(0, start.size(), start) != 0) continue;
    const std::string digits = path.substr(start.size());
    if (digits.empty() || digits.size() > 9) return -1;
    for (char c : digits) {
      if (c < '0' || c > '9') return -1;
    }
    return std::stoi(digits);
  }
  return -1;
}

}  // namespace

const char kPathSeparator = '/';

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isDeviceOrPipe(const std::string& path) {
  if (descriptorNamedBy(path) >= 0) return true;
  struct stat status;
  return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

int descriptorNamedBy(const std::string& path) {
  std::string step = path;
  // Each name on the way counts: /dev/stdout leads to /proc/self/fd/1, and that to the file the
  // descriptor is open on, which is not to be opened again.
  for (int links = 0; links <= kMaxLinks; ++links) {
    const int descriptor = descriptorOfName(step);
    if (descriptor >= 0) return fcntl(descriptor, F_GETFD) == -1 ? -1 : descriptor;
    if (!followLink(step)) return -1;
  }
  return -1;
}

bool isWritableFileInWritableFolder(const std::string& path) {
  const std::string target = linkTargetOf(path);
  const std::string folder = folderOf(target);
  if (access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return false;
  struct stat status;
  if (stat(target.c_str(), &status) != 0) return errno == ENOENT;
  return S_ISREG(status.st_mode) && access(target.c_str(), W_OK) == 0 &&
         descriptorNamedBy(path) < 0;
}

std::string linkTargetOf(const std::string& path) {
  std::string step = path;
  for (int links = 0; links < kMaxLinks && followLink(step);) ++links;
  return step;
}

std::string fullPathOf(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::vector<char> folder(PATH_MAX);
  if (getcwd(folder.data(), folder.size()) == nullptr) return path;
  const std::string start(folder.data());
  return path.empty() ? start : start + (start == "/" ? "" : "/") + path;
}

bool isFolder(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

bool entryExists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

std::FILE* openFileForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* standardInputForReading() { return stdin; }

std::FILE* openRegularFileForReading(const std::string& path, bool& notRegular) {
  notRegular = false;
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status;
  notRegular = fstat(descriptor, &status) == 0 && !S_ISREG(status.st_mode);
  if (notRegular || fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) != 0) {
    const int error = errno;
    close(descriptor);
    errno = error;
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (file == nullptr) close(descriptor);
  return file;
}

std::FILE* createFileBeside(const std::string& path, bool usersAlone, std::string& createdPath,
                            std::string& reason) {
  const std::string folder = folderOf(path);
  std::string pattern = folder + temporaryNameStart(path.substr(folder.size())) + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int descriptor = mkostemp(buffer.data(), O_CLOEXEC);
  if (descriptor < 0) {
    reason = fileErrorText(errno);
    return nullptr;
  }
  createdPath = buffer.data();
  // mkstemp makes the file private to its owner; a usual file gets the permissions any newly
  // created file would.
  const mode_t mask = umask(0);
  umask(mask);
  if (!usersAlone && fchmod(descriptor, static_cast<mode_t>(0666 & ~mask)) != 0) {
    reason = fileErrorText(errno);
    close(descriptor);
    std::remove(createdPath.c_str());
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    reason = fileErrorText(errno);
    close(descriptor);
    std::remove(createdPath.c_str());
  }
  return file;
}

bool mayReplaceFile(const std::string& path, std::string& reason) {
  // The entry itself is replaced, so its own owner and flags count (for a link, the caller
  // asks about its target, which is what is replaced).
  struct statx target;
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_UID, &target) != 0) return true;
  const uint64_t fixed = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
  if ((target.stx_attributes & target.stx_attributes_mask & fixed) != 0) {
    reason = formatMessage(translate("{0}: it is marked immutable or append-only"),
                           {std::strerror(EPERM)});
    return false;
  }
  // In a folder with the sticky bit, such as /tmp, only the owner of a file or of the folder
  // may remove or replace the file, though anyone may write the folder.
  const std::string folder = folderOf(path);
  struct stat folderStatus;
  if (stat(folder.empty() ? "." : folder.c_str(), &folderStatus) != 0) return true;
  const uid_t user = geteuid();
  if ((folderStatus.st_mode & S_ISVTX) != 0 && target.stx_uid != user &&
      folderStatus.st_uid != user && !actsAsAnyOwner()) {
    reason = formatMessage(
        translate(
            "{0}: another user owns it, in a folder where only a file's owner may replace it"),
        {std::strerror(EPERM)});
    return false;
  }
  return true;
}

bool createUnpredictableFile(const std::string& folder, const std::string& start,
                             const std::string& end, std::string& path, std::string& reason) {
  const std::string pattern = folder + start + "XXXXXX" + end;
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  // O_EXCL and six random characters: a name planted beforehand is never the one taken.
  const int descriptor = mkostemps(buffer.data(), static_cast<int>(end.size()), O_CLOEXEC);
  if (descriptor < 0) {
    reason = fileErrorText(errno);
    return false;
  }
  close(descriptor);
  path = buffer.data();
  return true;
}

bool syncFile(std::FILE* file) { return fsync(fileno(file)) == 0 || errno == EINVAL; }

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    reason = fileErrorText(errno);
    return false;
  }
  // The rename is the folder's change: synced, it survives a crash. A folder that cannot be
  // synced (some file systems cannot) keeps the rename all the same.
  const std::string folder = folderOf(to);
  const int descriptor =
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) {
    static_cast<void>(fsync(descriptor));
    close(descriptor);
  }
  return true;
}

void removeFile(const std::string& path) { std::remove(path.c_str()); }

FileKind fileKindOf(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return FileKind::kNothing;
  if (S_ISCHR(status.st_mode)) return FileKind::kCharacterDevice;
  if (S_ISFIFO(status.st_mode)) return FileKind::kPipe;
  if (S_ISREG(status.st_mode)) return FileKind::kPlainFile;
  return FileKind::kOther;
}

namespace {

bool sameInode(const std::string& a, const std::string& b) {
  struct stat first;
  struct stat second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
  if (fileExists(a) || fileExists(b)) return sameInode(a, b);
  // Neither is there yet: the same name in the same folder.
  const std::string folderA = folderOf(a);
  const std::string folderB = folderOf(b);
  if (a.substr(folderA.size()) != b.substr(folderB.size())) return false;
  return sameInode(folderA.empty() ? "." : folderA, folderB.empty() ? "." : folderB);
}
