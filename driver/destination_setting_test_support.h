#ifndef TIMETABLE_DRIVER_DESTINATION_SETTING_TEST_SUPPORT_H_
#define TIMETABLE_DRIVER_DESTINATION_SETTING_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>

#include "driver/destination_setting.h"

inline DestinationRequest requestWith(const std::string& output, const std::string& printer,
                                      bool drawn, bool view) {
  DestinationRequest request;
  request.outputFile = output;
  request.printer = printer;
  request.drawn = drawn;
  request.view = view;
  return request;
}

// The request a value of the setting makes, which must be one.
inline DestinationRequest requestOf(const std::string& value) {
  DestinationRequest request;
  EXPECT_EQ(readDestinationSetting(value, request), "") << value;
  return request;
}

inline bool sameRequest(const DestinationRequest& a, const DestinationRequest& b) {
  return a.outputFile == b.outputFile && a.printer == b.printer && a.drawn == b.drawn &&
         a.view == b.view;
}

#endif  // TIMETABLE_DRIVER_DESTINATION_SETTING_TEST_SUPPORT_H_
