#include "driver/train_number.h"

const size_t kMaxTrainNumberDigits = 10;

bool isTrainNumber(const std::string& word) {
  bool digits = !word.empty() && word.size() <= kMaxTrainNumberDigits;
  for (char c : word) digits = digits && c >= '0' && c <= '9';
  return digits && std::stoull(word) <= 2147483647ULL;
}
