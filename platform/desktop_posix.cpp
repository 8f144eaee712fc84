// The desktop is reached through xdg-open, which starts the program the desktop has for the
// file's kind.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/desktop.h"
#include "platform/interrupt_posix.h"
#include "platform/translation.h"

extern char** environ;

namespace {

// xdg-open returns once the viewer is started; one that takes longer is left to go on.
const auto kViewerStartWait = std::chrono::seconds(5);
const auto kViewerStartPoll = std::chrono::milliseconds(20);

// Waits a while for the child; returns false with the reason if it ended in failure.
bool startedWell(pid_t child, std::string& reason) {
  const auto deadline = std::chrono::steady_clock::now() + kViewerStartWait;
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) break;
    if (ended < 0 || std::chrono::steady_clock::now() >= deadline) return true;
    std::this_thread::sleep_for(kViewerStartPoll);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  reason = WIFEXITED(status) ? formatMessage(translate("xdg-open ended with status {0}"),
                                             {std::to_string(WEXITSTATUS(status))})
                             : formatMessage(translate("xdg-open was ended by signal {0}"),
                                             {std::to_string(WTERMSIG(status))});
  return false;
}

}  // namespace

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

bool openWithViewer(const std::string& path, std::string& reason) {
  // The viewer's own chatter is not the program's output.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string argument = path;
  char* argv[] = {&program[0], &argument[0], nullptr};
  // The viewer may outlive the run: it must answer Ctrl+C and the like as any program does.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  setStartedProgramSignals(attributes);
  pid_t child = 0;
  const int error = posix_spawnp(&child, "xdg-open", &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    reason = formatMessage(translate("xdg-open cannot be started: {0}"), {std::strerror(error)});
    return false;
  }
  return startedWell(child, reason);
}
