#include "driver/timetable_copy.h"

#include <gtest/gtest.h>

#include "service/service_request.h"

namespace {

const int64_t kFetched = 1796875800;  // 2026-12-10 04:10 UTC.

TimetableCopy copyOf(const std::string& answer) {
  TimetableCopy copy;
  copy.trainNumber = "5410";
  copy.fetchedAt = kFetched;
  copy.answer = answer;
  return copy;
}

TEST(TimetableCopy, AnAnswerIsReadBackByteForByteWithItsFetchTime) {
  const std::string answer = std::string("{\"message\":\n\n{}}\r\n\0x", 21);
  TimetableCopy read;
  ASSERT_EQ(readCopyText(copyFileText(copyOf(answer)), "5410", kFetched, read), CopyFault::kNone);
  EXPECT_EQ(read.answer, answer);
  EXPECT_EQ(read.fetchedAt, kFetched);
  EXPECT_EQ(read.trainNumber, "5410");
}

TEST(TimetableCopy, ACopyCutShortGrownOrOfAnotherTrainIsDamaged) {
  const std::string text = copyFileText(copyOf("{\"message\":{}}"));
  TimetableCopy read;
  EXPECT_EQ(readCopyText(text.substr(0, text.size() - 1), "5410", kFetched, read),
            CopyFault::kDamaged);
  EXPECT_EQ(readCopyText(text + " ", "5410", kFetched, read), CopyFault::kDamaged);
  EXPECT_EQ(readCopyText(text, "5411", kFetched, read), CopyFault::kDamaged);
  EXPECT_EQ(readCopyText("x" + text, "5410", kFetched, read), CopyFault::kDamaged);
  EXPECT_EQ(readCopyText(std::string(), "5410", kFetched, read), CopyFault::kDamaged);
}

TEST(TimetableCopy, ACopyLargerThanATimetableAnswerIsRefused) {
  TimetableCopy read;
  EXPECT_EQ(readCopyText(copyFileText(copyOf(std::string(kMaxTimetableAnswerBytes, ' '))), "5410",
                         kFetched, read),
            CopyFault::kNone);
  EXPECT_EQ(readCopyText(copyFileText(copyOf(std::string(kMaxTimetableAnswerBytes + 1, ' '))),
                         "5410", kFetched, read),
            CopyFault::kTooLarge);
}

TEST(TimetableCopy, ACopyFetchedAfterNowIsRefused) {
  TimetableCopy read;
  EXPECT_EQ(readCopyText(copyFileText(copyOf("{}")), "5410", kFetched - 1, read),
            CopyFault::kFromTheFuture);
  EXPECT_EQ(read.fetchedAt, kFetched);
}

TEST(TimetableCopy, TimesAreInUtcAndAgesInHoursAndMinutes) {
  EXPECT_EQ(utcTimeOf(kFetched), "2026-12-10 04:10");
  EXPECT_EQ(ageText(80 * 60 + 59), "1 h 20 min");
  EXPECT_EQ(ageText(59 * 60), "59 min");
}

}  // namespace
