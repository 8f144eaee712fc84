#include "timetable/service_time.h"

namespace {

// Two decimal digits at position at, or -1.
int twoDigits(const std::string& clock, size_t at) {
  char tens = clock[at];
  char ones = clock[at + 1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return -1;
  return (tens - '0') * 10 + (ones - '0');
}

std::string twoDigitText(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

int serviceClockShift(int hour) { return hour + 1 >= 24 ? hour - 23 : hour + 1; }

bool readServiceTime(const std::string& text, ClockTime& time) {
  size_t t = text.find('T');
  size_t z = text.find('Z');
  size_t start = t == std::string::npos ? 0 : t + 1;
  size_t length = z == std::string::npos || z < start ? std::string::npos : z - start;
  std::string clock = start <= text.size() ? text.substr(start, length) : std::string();
  if (clock.size() < 8) return false;
  int hours = twoDigits(clock, 0);
  int minutes = twoDigits(clock, 3);
  int seconds = twoDigits(clock, 6);
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 60) {
    return false;
  }
  time.hour = serviceClockShift(hours);
  time.minute = minutes;
  return true;
}

int minuteOfDay(const ClockTime& time) { return time.hour * 60 + time.minute; }

std::string printedTime(const ClockTime& time) {
  return twoDigitText(time.hour) + ":" + twoDigitText(time.minute);
}
