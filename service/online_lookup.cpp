#include "service/online_lookup.h"

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string_view>

#include "json/json_number.h"
#include "service/service_message.h"

const char* const kOnlineTrainsQuery = "method=getTrainsOnline";

namespace {

using nlohmann::json;

// The number as decimal text after dividing it by divisor, or empty when it is not a number the
// form can show.
std::string numberText(const json& value, int32_t divisor) {
  int32_t number = 0;
  if (!readInt32(value, number)) return std::string();
  return std::to_string(number / divisor);
}

bool isTrain(const json& trainNo, long wanted) {
  int32_t number = 0;
  return readInt32(trainNo, number) && number == wanted;
}

// The members of an entry that the search reads.
enum class EntryMember { kOther, kTrainNo, kDataMass, kDataLength };

// Called for every member of every entry: a view compares the lengths before any character.
EntryMember entryMemberNamed(std::string_view name) {
  if (name == "trainNo") return EntryMember::kTrainNo;
  if (name == "dataMass") return EntryMember::kDataMass;
  if (name == "dataLength") return EntryMember::kDataLength;
  return EntryMember::kOther;
}

// Where a value of the answer stands, as far as the search is concerned.
enum class Place { kAnswer, kMessage, kElement, kEntryMember, kElsewhere };

// The handler of the parser's events while it reads the answer to the online list query. Depth
// counts the objects and arrays open around the next value: the answer stands at depth 0, its
// members at 1, the elements of its "message" at 2 and their members at 3. Like a decoded object,
// the search lets the last of several members with one key count, for the answer's "message" as
// for an entry's members.
struct OnlineListReader {
  long wanted = 0;
  int depth = 0;
  json::value_t answerType = json::value_t::discarded;
  bool atMessage = false;      // The value at depth 1 about to be read is "message".
  bool messageIsList = false;  // The last "message" read is an array.
  bool inList = false;         // Inside that array.
  size_t element = 0;          // The index of the list's element being read.
  bool inEntry = false;        // Inside an element that is an object.
  EntryMember member = EntryMember::kOther;
  // The entry's members as read so far: null when absent or not a number.
  json trainNo, dataMass, dataLength;
  bool found = false;
  std::string massText, lengthText;
  bool tooDeep = false;  // An array or object began deeper than kMaxAnswerDepth.

  Place placeOfValue() const {
    if (depth == 0) return Place::kAnswer;
    if (depth == 1 && atMessage) return Place::kMessage;
    if (depth == 2 && inList) return Place::kElement;
    if (depth == 3 && inEntry) return Place::kEntryMember;
    return Place::kElsewhere;
  }

  void beginMessage(bool isList) {
    messageIsList = isList;
    inList = isList;
    element = 0;
    found = false;
  }

  void beginEntry() {
    inEntry = true;
    member = EntryMember::kOther;
    trainNo = dataMass = dataLength = nullptr;
  }

  void endEntry() {
    inEntry = false;
    if (!found && element < static_cast<size_t>(kOnlineTrainScanLimit) &&
        isTrain(trainNo, wanted)) {
      found = true;
      massText = numberText(dataMass, 1000);
      lengthText = numberText(dataLength, 1);
    }
    ++element;
  }

  void setMember(const json& number) {
    if (member == EntryMember::kTrainNo) trainNo = number;
    if (member == EntryMember::kDataMass) dataMass = number;
    if (member == EntryMember::kDataLength) dataLength = number;
  }

  // A value begins; number holds it when it is a number and is null otherwise.
  void beginValue(json::value_t type, const json& number) {
    switch (placeOfValue()) {
      case Place::kAnswer:
        answerType = type;
        break;
      case Place::kMessage:
        beginMessage(type == json::value_t::array);
        break;
      case Place::kElement:
        if (type == json::value_t::object) {
          beginEntry();
        } else {
          ++element;  // Not an entry: passed over, but it takes its index.
        }
        break;
      case Place::kEntryMember:
        setMember(number);
        break;
      case Place::kElsewhere:
        break;
    }
  }

  bool scalar(json::value_t type, const json& number = nullptr) {
    beginValue(type, number);
    return true;
  }

  // The parser's events.
  bool null() { return scalar(json::value_t::null); }
  bool boolean(bool) { return scalar(json::value_t::boolean); }
  bool number_integer(json::number_integer_t value) {
    return scalar(json::value_t::number_integer, json(value));
  }
  bool number_unsigned(json::number_unsigned_t value) {
    return scalar(json::value_t::number_unsigned, json(value));
  }
  bool number_float(json::number_float_t value, const json::string_t&) {
    return scalar(json::value_t::number_float, json(value));
  }
  bool string(json::string_t&) { return scalar(json::value_t::string); }
  bool binary(json::binary_t&) { return scalar(json::value_t::binary); }

  // Refuses an array or object deeper than the limit, as the decoding of an answer does; the
  // parser then stops.
  bool mayBegin() {
    tooDeep = depth >= kMaxAnswerDepth;
    return !tooDeep;
  }

  bool start_object(size_t) {
    if (!mayBegin()) return false;
    beginValue(json::value_t::object, nullptr);
    ++depth;
    return true;
  }
  bool key(json::string_t& name) {
    if (depth == 1) atMessage = name == "message";
    if (depth == 3 && inEntry) member = entryMemberNamed(name);
    return true;
  }
  bool end_object() {
    --depth;
    if (depth == 2 && inEntry) endEntry();
    return true;
  }
  bool start_array(size_t) {
    if (!mayBegin()) return false;
    beginValue(json::value_t::array, nullptr);
    ++depth;
    return true;
  }
  bool end_array() {
    --depth;
    if (depth == 1 && inList) inList = false;
    return true;
  }
  bool parse_error(size_t, const std::string&, const json::exception&) { return false; }
};

}  // namespace

bool searchOnlineAnswer(const ServiceAnswer& answer, const std::string& trainNumber,
                        TrainData& trainData) {
  OnlineListReader reader;
  // The decoded search converts the train number only once it has a list, so a number that does
  // not convert is an error only then, and only after the answer proved to be JSON.
  std::exception_ptr conversionError;
  try {
    reader.wanted = std::stol(trainNumber);
  } catch (const std::logic_error&) {
    conversionError = std::current_exception();
  }
  if (!json::sax_parse(answer.body, &reader, json::input_format_t::json, true, false)) {
    if (reader.tooDeep) {
      throw answerFailure(FailureKind::kTooDeep, answer.url, answer.httpStatus,
                          static_cast<size_t>(kMaxAnswerDepth));
    }
    throw answerFailure(FailureKind::kNotJson, answer.url, answer.httpStatus, 0, answer.body.size(),
                        answer.tries);
  }
  if (reader.answerType == json::value_t::null) return false;
  if (reader.answerType != json::value_t::object) {
    throw answerFailure(FailureKind::kNotAnObject, answer.url, answer.httpStatus, 0, 0,
                        answer.tries);
  }
  if (!reader.messageIsList) return false;
  if (conversionError) std::rethrow_exception(conversionError);
  if (!reader.found) return false;
  trainData[0].clear();
  trainData[1] = reader.massText;
  trainData[2] = reader.lengthText;
  return true;
}

TrainDataLookup lookUpTrainData(std::string trainNumber, TrainData& trainData) {
  TrainDataLookup lookup;
  try {
    lookup.found =
        searchOnlineAnswer(fetchServiceAnswer(kOnlineTrainsQuery), trainNumber, trainData);
  } catch (const RequestFailed& failed) {
    if (failed.failure.kind == FailureKind::kTooLarge) throw;
    lookup.failure = failed.failure;
  }
  return lookup;
}
