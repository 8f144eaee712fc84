#include "service/online_lookup.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <stdexcept>

#include "timetable/json_number.h"
#include "service/service_request.h"

const char* const onlineTrainsQuery = "method=getTrainsOnline";

namespace {

// The member as decimal text after dividing it by divisor, or empty when it is absent or not a
// number the form can show.
std::string memberText(const nlohmann::json& entry, const char* key, int32_t divisor) {
  auto member = entry.find(key);
  int32_t value = 0;
  if (member == entry.end() || !readInt32(*member, value)) return std::string();
  return std::to_string(value / divisor);
}

}  // namespace

bool searchOnlineTrains(const nlohmann::json& list, const std::string& trainNumber,
                        TrainData& trainData) {
  if (!list.is_array()) return false;
  const long wanted = std::stol(trainNumber);
  const size_t limit = std::min(list.size(), static_cast<size_t>(onlineTrainScanLimit));
  for (size_t i = 0; i < limit; ++i) {
    const nlohmann::json& entry = list[i];
    if (!entry.is_object()) continue;
    auto number = entry.find("trainNo");
    int32_t trainNo = 0;
    if (number == entry.end() || !readInt32(*number, trainNo) || trainNo != wanted) continue;
    trainData[0].clear();
    trainData[1] = memberText(entry, "dataMass", 1000);
    trainData[2] = memberText(entry, "dataLength", 1);
    return true;
  }
  return false;
}

void lookupOnlineTrain(std::string trainNumber, TrainData& trainData) {
  nlohmann::json list;
  try {
    list = fetchServiceMessage(onlineTrainsQuery);
  } catch (const std::runtime_error& failure) {
    std::cerr << "notice: the list of trains online could not be read (" << failure.what()
              << "); mass and length stay empty" << std::endl;
    return;
  }
  if (!searchOnlineTrains(list, trainNumber, trainData)) {
    std::cerr << "notice: train " << trainNumber
              << " is not in the list of trains online; mass and length stay empty" << std::endl;
  }
}
