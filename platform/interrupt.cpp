// The cleanups, shared by both platforms' interrupt threads.
#include "platform/interrupt.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Cleanups {
  // Recursive, so that a held step may remove its cleanup; the interrupt thread takes it for
  // good.
  std::recursive_mutex mutex;
  std::vector<std::pair<int, std::function<void()>>> registered;
  int lastId = 0;
};

// Never destroyed: an interrupt may come while the program's statics are being destroyed.
Cleanups& cleanups() {
  static Cleanups* const instance = new Cleanups;
  return *instance;
}

std::atomic<int> endingStatus{0};

}  // namespace

int addInterruptCleanup(std::function<void()> cleanup) {
  Cleanups& all = cleanups();
  const std::lock_guard<std::recursive_mutex> lock(all.mutex);
  all.registered.emplace_back(++all.lastId, std::move(cleanup));
  return all.lastId;
}

void removeInterruptCleanup(int id) {
  Cleanups& all = cleanups();
  const std::lock_guard<std::recursive_mutex> lock(all.mutex);
  for (auto entry = all.registered.begin(); entry != all.registered.end(); ++entry) {
    if (entry->first == id) {
      all.registered.erase(entry);
      return;
    }
  }
}

void holdInterrupts(const std::function<void()>& step) {
  const std::lock_guard<std::recursive_mutex> lock(cleanups().mutex);
  step();
}

void stopIfInterrupted() {
  holdInterrupts([] {});
}

int interruptExitStatus() { return endingStatus.load(); }

void runInterruptCleanups(int exitStatus) {
  endingStatus.store(exitStatus);
  Cleanups& all = cleanups();
  all.mutex.lock();  // Never unlocked: the program ends holding it.
  for (auto entry = all.registered.rbegin(); entry != all.registered.rend(); ++entry) {
    try {
      entry->second();
    } catch (...) {
      // The program ends anyway; the other cleanups still run.
    }
  }
}
