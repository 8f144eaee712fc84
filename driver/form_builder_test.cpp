#include "driver/form_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/print_job_test_support.h"
#include "form/form_text.h"

namespace {

using nlohmann::json;

json stop(const std::string& name, const char* arrival, const char* departure) {
  return {{"pointNameRAW", name},
          {"pointName", name},
          {"arrivalTime", arrival == nullptr ? json(nullptr) : json(arrival)},
          {"departureTime", departure == nullptr ? json(nullptr) : json(departure)},
          {"pointDistance", 1.5},
          {"pointStopType", "ph"}};
}

// Three stops, so three rows of the stop table.
PrintJob threeStopJob() {
  const json answer = {
      {"trainInfo", {{"trainCategoryCode", "OS"}, {"trainNo", 777}, {"route", "A|C"}}},
      {"stopPoints",
       {stop("A", nullptr, "2026-12-08T10:00:00Z"),
        stop("B", "2026-12-08T10:10:00Z", "2026-12-08T10:12:00Z"),
        stop("C", "2026-12-08T10:30:00Z", nullptr)}}};
  std::string tableWarning;
  return sampleJob(answer, tableWarning);
}

struct Piece {
  std::wstring text;
  int32_t row;
};

std::vector<Piece> piecesOf(const PrintJob& job, std::vector<std::string>& warnings) {
  std::vector<Piece> pieces;
  warnings = buildForm(job, [&pieces](const std::wstring& text, int32_t row) {
    pieces.push_back({text, row});
  });
  return pieces;
}

TEST(FormBuilder, HandsOverTheOpeningEachRowInOrderAndTheFoot) {
  const PrintJob job = threeStopJob();
  ASSERT_EQ(job.lastRow, 2);
  std::vector<std::string> warnings;
  const std::vector<Piece> pieces = piecesOf(job, warnings);
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(pieces.front().row, kNoRow);
  // Three short lines, then the route line in bold.
  EXPECT_EQ(pieces.front().text.substr(0, 6), L"\n \n \n\x1b");
  EXPECT_NE(pieces.front().text.find(L"OS777 Relacja A - C"), std::wstring::npos);
  for (int32_t row = 0; row <= 2; ++row) EXPECT_EQ(pieces[static_cast<size_t>(row) + 1].row, row);
  EXPECT_EQ(pieces.back().row, kNoRow);
  EXPECT_EQ(pieces.back().text, formFoot);
  EXPECT_TRUE(warnings.empty());
}

TEST(FormBuilder, ATextTooWideForItsFieldIsNamedOnceForEveryRowThatShowsIt) {
  PrintJob job = threeStopJob();
  job.lok1 = L"ST44-1220";
  std::vector<std::string> warnings;
  piecesOf(job, warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            "\"ST44-1220\" does not fit in the field \"LOK1\" (field width in characters: 6); it "
            "prints whole, and the table's vertical rules to its right move");
}

}  // namespace
