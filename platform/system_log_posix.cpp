// journald's native protocol, spoken directly rather than through libsystemd: the library would
// add its own libraries to every start, and it and syslog(3) send on a blocking socket, which
// waits while the log's reader is behind. A datagram on a non-blocking socket never waits.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/system_log.h"

namespace {

const char kJournalSocket[] = "/run/systemd/journal/socket";
const char kSyslogSocket[] = "/dev/log";

// Sends the bytes as one datagram to the socket at path; returns errno, or 0 once it is sent.
int sendDatagram(const char* path, const std::string& bytes) {
  const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket < 0) return errno;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
  const ssize_t sent = ::sendto(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int failure =
      sent == static_cast<ssize_t>(bytes.size()) ? 0 : (sent < 0 ? errno : EMSGSIZE);
  ::close(socket);
  return failure;
}

// No socket there, or none that anyone reads.
bool isAbsent(int failure) { return failure == ENOENT || failure == ECONNREFUSED; }

}  // namespace

std::string sendSystemLogEvent(const SystemLogEvent& event) {
  const int saved = errno;
  std::string reason;
  const std::string datagram = journalDatagram(event);
  int failure =
      datagram.size() > kSystemLogEventLimit ? EMSGSIZE : sendDatagram(kJournalSocket, datagram);
  const char* place = kJournalSocket;
  if (isAbsent(failure)) {
    const std::string line = syslogLine(event, static_cast<long long>(std::time(nullptr)),
                                        static_cast<unsigned long>(::getpid()));
    place = kSyslogSocket;
    failure = line.size() > kSystemLogEventLimit ? EMSGSIZE : sendDatagram(kSyslogSocket, line);
  }
  // A system with neither socket keeps no log: there is nothing to fail.
  if (failure != 0 && !isAbsent(failure)) {
    reason = std::string(place) + ": " + std::strerror(failure);
  }
  errno = saved;
  return reason;
}
