#include "platform/system_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SystemLogEvent sampleEvent(EventLevel level) {
  SystemLogEvent event;
  event.id = 4;
  event.messageId = "af020212b24246819eb888ebdd9bc5e3";
  event.level = level;
  event.message = "timetable-print failed: train=5410";
  event.fields = {{"TIMETABLE_TRAIN", "5410"}, {"TIMETABLE_FAILURE", ""}};
  return event;
}

TEST(SystemLog, JournalDatagramHoldsOneLinePerField) {
  EXPECT_EQ(journalDatagram(sampleEvent(EventLevel::kError)),
            "MESSAGE=timetable-print failed: train=5410\n"
            "MESSAGE_ID=af020212b24246819eb888ebdd9bc5e3\n"
            "PRIORITY=3\n"
            "SYSLOG_IDENTIFIER=timetable-print\n"
            "TIMETABLE_TRAIN=5410\n"
            "TIMETABLE_FAILURE=\n");
}

TEST(SystemLog, JournalPrioritiesFollowTheLevel) {
  EXPECT_NE(journalDatagram(sampleEvent(EventLevel::kWarning)).find("\nPRIORITY=4\n"),
            std::string::npos);
  EXPECT_NE(journalDatagram(sampleEvent(EventLevel::kInformation)).find("\nPRIORITY=6\n"),
            std::string::npos);
}

TEST(SystemLog, AValueWithALineBreakTakesTheLengthForm) {
  SystemLogEvent event = sampleEvent(EventLevel::kError);
  event.fields = {{"TIMETABLE_TRAIN", "a\nb"}};
  const std::string datagram = journalDatagram(event);
  const std::string expected =
      std::string("TIMETABLE_TRAIN\n") + '\x03' + std::string(7, '\0') + "a\nb\n";
  ASSERT_GE(datagram.size(), expected.size());
  EXPECT_EQ(datagram.substr(datagram.size() - expected.size()), expected);
}

TEST(SystemLog, SyslogLineIsTheUserFacilitysWithTagAndPid) {
  SystemLogEvent event = sampleEvent(EventLevel::kError);
  event.message = "a\nb\tc";
  const std::string line = syslogLine(event, 0, 42);
  EXPECT_EQ(line.substr(0, 4), "<11>");
  // "Jan  1 00:00:00 " in any time zone's width.
  EXPECT_EQ(line.find(' ', 4), 7u);
  EXPECT_EQ(line.substr(4 + 16), "timetable-print[42]: a b c");
  EXPECT_EQ(syslogLine(sampleEvent(EventLevel::kWarning), 0, 1).substr(0, 4), "<12>");
  EXPECT_EQ(syslogLine(sampleEvent(EventLevel::kInformation), 0, 1).substr(0, 4), "<14>");
}

}  // namespace
