#ifndef TIMETABLE_TIMETABLE_SERVICE_TIME_H_
#define TIMETABLE_TIMETABLE_SERVICE_TIME_H_

#include <string>

// A clock time as printed on the form: the service's time shifted by serviceClockShift.
struct ClockTime {
  int hour = 0;
  int minute = 0;
};

// The service's clock runs one hour behind the printed times: hour h prints as h + 1, and 23
// wraps to 0.
int serviceClockShift(int hour);

// Reads a service date-time such as "2022-06-15T14:05:00Z": the clock part lies between the
// first "T" and the first "Z" (from the start without a "T", to the end without a "Z") and holds
// two-digit hours, minutes and seconds at positions 0, 3 and 6. Returns false when the text has
// no such clock part or its values are not a time of day.
bool readServiceTime(const std::string& text, ClockTime& time);

int minuteOfDay(const ClockTime& time);

// "HH:MM", each part at least two digits.
std::string printedTime(const ClockTime& time);

#endif  // TIMETABLE_TIMETABLE_SERVICE_TIME_H_
