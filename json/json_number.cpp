#include "json/json_number.h"

#include <cmath>
#include <limits>

namespace {

const double kLowest = std::numeric_limits<int32_t>::min();
const double kHighest = std::numeric_limits<int32_t>::max();

}  // namespace

bool readInt32(const nlohmann::json& value, int32_t& result) {
  if (value.is_number_unsigned()) {
    auto number = value.get<uint64_t>();
    if (number > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
    result = static_cast<int32_t>(number);
    return true;
  }
  if (value.is_number_integer()) {
    auto number = value.get<int64_t>();
    if (number < std::numeric_limits<int32_t>::min() ||
        number > std::numeric_limits<int32_t>::max()) {
      return false;
    }
    result = static_cast<int32_t>(number);
    return true;
  }
  if (value.is_number_float()) {
    double number = std::trunc(value.get<double>());
    if (!(number >= kLowest && number <= kHighest)) return false;  // Also false for NaN.
    result = static_cast<int32_t>(number);
    return true;
  }
  return false;
}
