#ifndef TIMETABLE_DRIVER_TRAIN_NUMBER_H_
#define TIMETABLE_DRIVER_TRAIN_NUMBER_H_

#include <cstddef>
#include <string>

extern const size_t kMaxTrainNumberDigits;

// Whether the word is a train number: digits, at most kMaxTrainNumberDigits of them, of a 32-bit
// number. The train number goes into the request address unescaped, so only digits may pass.
bool isTrainNumber(const std::string& word);

#endif  // TIMETABLE_DRIVER_TRAIN_NUMBER_H_
