#include "service/online_lookup.h"

#include <gtest/gtest.h>

#include <string>

#include "service/online_lookup_test_support.h"

namespace {

using nlohmann::json;

// The search while the answer is read must give what the search of the decoded answer gives.
void expectSameSearch(const std::string& body, const std::string& number) {
  const ServiceAnswer answer = {"https://test/?q", body, 200};
  const SearchOutcome decoded = decodedSearch(answer, number);
  const SearchOutcome streamed = streamedSearch(answer, number);
  EXPECT_EQ(streamed.found, decoded.found) << body << " " << number;
  EXPECT_EQ(streamed.data, decoded.data) << body << " " << number;
  EXPECT_EQ(streamed.error, decoded.error) << body << " " << number;
}

json train(json number, json mass = 512000, json length = 187) {
  json entry = {{"trainNo", number}, {"dataMass", mass}, {"dataLength", length}};
  if (number.is_discarded()) entry.erase("trainNo");
  return entry;
}

TrainData search(const json& list, const std::string& number, bool expectFound = true) {
  TrainData data;
  EXPECT_EQ(searchOnlineTrains(list, number, data), expectFound) << list.dump() << " " << number;
  EXPECT_EQ(data[0], "");
  expectSameSearch(json({{"message", list}}).dump(), number);
  return data;
}

TEST(OnlineLookup, MassInWholeTonnesTruncatedTowardZero) {
  EXPECT_EQ(search(json::array({train(5, 1999)}), "5")[1], "1");
  EXPECT_EQ(search(json::array({train(5, 999)}), "5")[1], "0");
  EXPECT_EQ(search(json::array({train(5, -1500)}), "5")[1], "-1");
  TrainData data = search(json::array({train(5, 643999, 241)}), "5");
  EXPECT_EQ(data[1], "643");
  EXPECT_EQ(data[2], "241");
}

TEST(OnlineLookup, FirstMatchWinsAndNumbersCompareAsIntegers) {
  EXPECT_EQ(search(json::array({train(7, 1000), train(123, 2000), train(123, 3000)}), "123")[1],
            "2");
  EXPECT_EQ(search(json::array({train(123)}), "0123")[2], "187");
  EXPECT_EQ(search(json::array({train(123.7)}), "123")[2], "187");
}

TEST(OnlineLookup, ScanStopsBeforeIndex9999) {
  json list = json::array();
  for (int i = 0; i < 20000; ++i) list.push_back(train(100000 + i));
  search(list, "109998");
  search(list, "109999", false);
  list[0] = 5;  // Passed over, but it keeps its index.
  search(list, "109999", false);
}

TEST(OnlineLookup, UnusableEntriesArePassedOver) {
  json list = {nullptr,
               5,
               "text",
               train("123"),
               train(json(json::value_t::discarded)),
               train(nullptr),
               train(5e12),
               train(123, 4000)};
  EXPECT_EQ(search(list, "123")[1], "4");
  search(list, "111111", false);  // An entry without "trainNo" matches nothing.
}

TEST(OnlineLookup, MassAndLengthThatAreNotNumbersStayEmpty) {
  json entry = {{"trainNo", 9}};
  TrainData absent = search(json::array({entry}), "9");
  EXPECT_EQ(absent[1], "");
  EXPECT_EQ(absent[2], "");
  TrainData wrong = search(json::array({train(9, "512 t", nullptr)}), "9");
  EXPECT_EQ(wrong[1], "");
  EXPECT_EQ(wrong[2], "");
  EXPECT_EQ(search(json::array({train(9, 5e9, true)}), "9")[1], "");
}

TEST(OnlineLookup, NoListOrNoMatchLeavesTrainDataAlone) {
  for (const json& list : {json(nullptr), json::object(), json("x"), json::array()}) {
    TrainData data = {"", "kept", "kept"};
    EXPECT_FALSE(searchOnlineTrains(list, "5", data));
    EXPECT_EQ(data[1], "kept");
    expectSameSearch(json({{"message", list}}).dump(), "5");
  }
}

TEST(OnlineLookup, SearchWhileReadingAgreesOnAwkwardAnswers) {
  const char* const bodies[] = {
      // The last of several members with one key counts.
      R"({"message":[{"trainNo":5,"dataMass":1000}],"message":[{"trainNo":5,"dataMass":2000}]})",
      R"({"message":[{"trainNo":5}],"message":null})",
      R"({"message":[{"trainNo":5,"trainNo":6,"dataMass":3000,"dataMass":"x","dataLength":1}]})",
      // Members with the same keys further in.
      R"({"message":[{"trainNo":7,"info":{"trainNo":5,"dataMass":1},"more":[{"trainNo":5}]},)"
      R"({"trainNo":5,"dataMass":{"dataMass":9000},"dataLength":[187]}]})",
      R"({"other":{"message":[{"trainNo":5}]},"message":[[{"trainNo":5}],{"trainNo":5}]})",
      // Each kind of number, in and out of the 32-bit range.
      R"({"message":[{"trainNo":4294967301},{"trainNo":5.9,"dataMass":-1e3,"dataLength":-2147483648}]})",
      R"({"message":[{"trainNo":5,"dataMass":2147483648,"dataLength":18446744073709551615}]})",
      // Answers that are no list, or no JSON, or cut off after the match.
      R"({"message":[{"trainNo":5,"dataMass":5000}])",
      R"({"message":[{"trainNo":5}]} x)",
      R"({"success":true})",
      "null",
      R"([{"message":[{"trainNo":5}]}])",
      R"("text")",
      "",
  };
  for (const char* body : bodies) {
    for (const char* number : {"5", "6", "x", "99999999999999999999"}) {
      expectSameSearch(body, number);
    }
  }
  // Nested deeper than answers may be: both refuse it.
  expectSameSearch(R"({"message":)" + std::string(40, '[') + std::string(40, ']') + "}", "5");
}

}  // namespace
