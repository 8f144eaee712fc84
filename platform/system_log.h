#ifndef TIMETABLE_PLATFORM_SYSTEM_LOG_H_
#define TIMETABLE_PLATFORM_SYSTEM_LOG_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The system's log, where a site's help desk and its tools (journalctl, rsyslog's forwarding,
// Windows Event Forwarding, a SIEM) look: on Linux journald, spoken to in its own native protocol,
// or syslog at /dev/log where there is no journal; on Windows the Application event log. What an
// event says is the caller's; here it is only sent.

enum class EventLevel { kError, kWarning, kInformation };

struct SystemLogEvent {
  unsigned id = 0;        // The event's number in the Windows log, and its message's in the exe.
  std::string messageId;  // journald's MESSAGE_ID: 32 lower-case hex digits, fixed per event.
  EventLevel level = EventLevel::kInformation;
  std::string message;  // One line of English: journald's MESSAGE, syslog's text.
  // KEY and value, the keys in capitals, digits and _; on Windows the values, in this order, are
  // the event's strings %1, %2, ... of its message.
  std::vector<std::pair<std::string, std::string>> fields;
};

// The name the events carry: SYSLOG_IDENTIFIER, syslog's tag, the Windows event source.
extern const char kSystemLogIdentifier[];
// The most bytes one event may take as sent; a larger one is not sent.
extern const size_t kSystemLogEventLimit;

// The event as journald's native protocol takes it in one datagram: KEY=VALUE lines, a value that
// holds a line break as KEY, a line break, its length as 64-bit little-endian, the value and a
// line break.
std::string journalDatagram(const SystemLogEvent& event);

// The event as one syslog line to /dev/log, as the C library writes it: "<PRI>TIME TAG[PID]: TEXT",
// of the user facility, TIME as "Dec  9 06:05:01" in local time, the message made one line.
std::string syslogLine(const SystemLogEvent& event, long long unixTime, unsigned long pid);

// Sends the event, never waiting: a log that is busy, full or not there loses it. Returns why it
// was not sent, for the support log, or an empty text, also where the system keeps no log at all
// (on Linux neither socket is there, or none is read). Each platform supplies it.
std::string sendSystemLogEvent(const SystemLogEvent& event);

#endif  // TIMETABLE_PLATFORM_SYSTEM_LOG_H_
