// flock, which the system releases with the last descriptor of a run that ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/translation.h"

const int kLockWaitSeconds = 10;

namespace {

const auto kLockPoll = std::chrono::milliseconds(20);

}  // namespace

bool takeFileLock(const std::string& path, FileLock& lock, std::string& reason) {
  const int descriptor =
      open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
  if (descriptor < 0) {
    reason = formatMessage(translate("{0}: {1}"), {path, fileErrorText(errno)});
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLockWaitSeconds);
  while (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      reason = formatMessage(translate("{0}: {1}"), {path, fileErrorText(errno)});
      close(descriptor);
      return false;
    }
    std::this_thread::sleep_for(kLockPoll);
  }
  lock.handle = descriptor;
  return true;
}

void releaseFileLock(FileLock& lock) {
  if (lock.handle < 0) return;
  // Closing the descriptor gives the lock up.
  close(static_cast<int>(lock.handle));
  lock.handle = -1;
}
