// Feeds arbitrary bytes as the answer to the online list query through the search while reading
// and through decoding followed by the search of the decoded list. Both must agree on the result,
// the mass and length texts and any error; the texts must be decimal or empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/online_lookup_test_support.h"

namespace {

bool isDecimalOrEmpty(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    bool sign = i == 0 && text[i] == '-' && text.size() > 1;
    if (!sign && (text[i] < '0' || text[i] > '9')) return false;
  }
  return text.size() <= 11;
}

void compareSearches(const ServiceAnswer& answer, const std::string& number) {
  const SearchOutcome decoded = decodedSearch(answer, number);
  const SearchOutcome streamed = streamedSearch(answer, number);
  if (streamed.found != decoded.found || streamed.data != decoded.data ||
      streamed.error != decoded.error) {
    std::abort();
  }
  const TrainData& data = decoded.data;
  if (decoded.found &&
      (!data[0].empty() || !isDecimalOrEmpty(data[1]) || !isDecimalOrEmpty(data[2]))) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ServiceAnswer answer = {"fuzz", std::string(reinterpret_cast<const char*>(data), size),
                                200};
  compareSearches(answer, "5410");
  // A train number that does not convert fails only for an answer that holds a list.
  compareSearches(answer, "x");
  return 0;
}
