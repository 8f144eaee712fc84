// Feeds arbitrary bytes as the answer to the online list query through decoding and the search.
// Each input must give decimal mass and length texts, or empty ones, or one of our own errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "service/online_lookup.h"
#include "service/service_request.h"

namespace {

bool isDecimalOrEmpty(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    bool sign = i == 0 && text[i] == '-' && text.size() > 1;
    if (!sign && (text[i] < '0' || text[i] > '9')) return false;
  }
  return text.size() <= 11;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlohmann::json list;
  try {
    list = serviceMessageOf(std::string(reinterpret_cast<const char*>(data), size), 200, "fuzz");
  } catch (const std::runtime_error&) {
    return 0;
  }
  TrainData trainData;
  searchOnlineTrains(list, "5410", trainData);
  if (!trainData[0].empty() || !isDecimalOrEmpty(trainData[1]) || !isDecimalOrEmpty(trainData[2])) {
    std::abort();
  }
  return 0;
}
