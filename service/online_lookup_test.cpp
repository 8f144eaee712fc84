#include "service/online_lookup.h"

#include <gtest/gtest.h>

namespace {

using nlohmann::json;

json train(json number, json mass = 512000, json length = 187) {
  json entry = {{"trainNo", number}, {"dataMass", mass}, {"dataLength", length}};
  if (number.is_discarded()) entry.erase("trainNo");
  return entry;
}

TrainData search(const json& list, const std::string& number, bool expectFound = true) {
  TrainData data;
  EXPECT_EQ(searchOnlineTrains(list, number, data), expectFound) << list.dump() << " " << number;
  EXPECT_EQ(data[0], "");
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
  }
}

}  // namespace
