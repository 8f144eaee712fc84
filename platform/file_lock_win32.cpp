// LockFileEx on the lock file's first byte; the system gives it up when the run's handle closes.
#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/file_lock.h"
#include "platform/translation.h"
#include "platform/wide_text_win32.h"

const int kLockWaitSeconds = 10;

namespace {

const auto kLockPoll = std::chrono::milliseconds(20);

}  // namespace

bool takeFileLock(const std::string& path, FileLock& lock, std::string& reason) {
  const HANDLE file =
      CreateFileW(wideFromCodePage(path, CP_UTF8).c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    reason = formatMessage(translate("{0}: {1}"), {path, systemMessage(GetLastError())});
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLockWaitSeconds);
  for (;;) {
    OVERLAPPED start = {};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
      break;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
      reason = formatMessage(translate("{0}: {1}"), {path, systemMessage(error)});
      CloseHandle(file);
      return false;
    }
    std::this_thread::sleep_for(kLockPoll);
  }
  lock.handle = reinterpret_cast<intptr_t>(file);
  return true;
}

void releaseFileLock(FileLock& lock) {
  if (lock.handle == -1) return;
  // Closing the handle gives the lock up.
  CloseHandle(reinterpret_cast<HANDLE>(lock.handle));
  lock.handle = -1;
}
