#include "platform/system_log.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

const char kSystemLogIdentifier[] = "timetable-print";
// Far above any event of ours, and far below a datagram's limit of every system.
const size_t kSystemLogEventLimit = 4096;

namespace {

// journald's and syslog's severities.
int severityOf(EventLevel level) {
  switch (level) {
    case EventLevel::kError:
      return 3;
    case EventLevel::kWarning:
      return 4;
    case EventLevel::kInformation:
      break;
  }
  return 6;
}

const int kUserFacility = 1;

void addField(std::string& datagram, const std::string& key, const std::string& value) {
  if (value.find('\n') == std::string::npos) {
    datagram += key + "=" + value + "\n";
    return;
  }
  datagram += key + "\n";
  uint64_t size = value.size();
  for (int i = 0; i < 8; ++i, size >>= 8) datagram += static_cast<char>(size & 0xFF);
  datagram += value + "\n";
}

// Control characters would end syslog's line, or show as escapes.
std::string plainLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

}  // namespace

std::string journalDatagram(const SystemLogEvent& event) {
  std::string datagram;
  addField(datagram, "MESSAGE", event.message);
  addField(datagram, "MESSAGE_ID", event.messageId);
  addField(datagram, "PRIORITY", std::to_string(severityOf(event.level)));
  addField(datagram, "SYSLOG_IDENTIFIER", kSystemLogIdentifier);
  for (const auto& field : event.fields) addField(datagram, field.first, field.second);
  return datagram;
}

std::string syslogLine(const SystemLogEvent& event, long long unixTime, unsigned long pid) {
  // Names of the months as syslog writes them, whatever the locale.
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t time = static_cast<std::time_t>(unixTime);
  std::string stamp;
  if (const std::tm* local = std::localtime(&time)) {
    char clock[16];
    std::snprintf(clock, sizeof clock, " %2d %02d:%02d:%02d ", local->tm_mday, local->tm_hour,
                  local->tm_min, local->tm_sec);
    stamp = std::string(kMonths[local->tm_mon % 12]) + clock;
  }
  return "<" + std::to_string(kUserFacility * 8 + severityOf(event.level)) + ">" + stamp +
         kSystemLogIdentifier + "[" + std::to_string(pid) + "]: " + plainLine(event.message);
}
