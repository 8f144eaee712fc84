#include "driver/form_builder.h"

#include <cstdio>
#include <set>

#include "driver/timetable_copy.h"
#include "form/code_page.h"
#include "form/form_text.h"
#include "form/printer_code.h"
#include "form/stop_block.h"
#include "form/stop_cells.h"
#include "json/json_quote.h"
#include "platform/messages.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "timetable/stop_table.h"

namespace {

// "%f" of the largest double has 309 digits before its point and six after it.
const size_t kDistanceTextSize = 512;

std::string distanceDigits(double distance) {
  if (isMissingDistance(distance)) return std::string();
  char text[kDistanceTextSize];
  std::snprintf(text, sizeof text, "%f", distance);
  return text;
}

std::wstring decimalText(int32_t value) { return utf8ToWide(std::to_string(value)); }

// Three short lines, then the route line in bold (train label, " Relacja " and the route), then
// the head.
std::wstring formOpening(const PrintJob& job) {
  const std::wstring routeLine =
      toPrinterCodePage(utf8ToWide(job.trainLabel + " Relacja " + job.routeText));
  return std::wstring(L"\n \n \n") + kBoldOn + routeLine + L"\n" + kBoldOff + formHead;
}

std::wstring stopBlock(const PrintJob& job, int32_t row, StopCells& cells) {
  const StopTable& table = job.table;
  const auto i = static_cast<size_t>(row);
  buildStopCells(table.highlighted[i], utf8ToWide(table.stationName[i]), job.lok1, job.lok2,
                 job.lok3, utf8ToWide(job.trainData[1]), utf8ToWide(job.trainData[2]), job.vmax,
                 utf8ToWide(distanceDigits(table.distance[i])), utf8ToWide(table.arrivalText[i]),
                 utf8ToWide(table.departureText[i]), decimalText(table.runMinutes[i]),
                 decimalText(table.dwellMinutes[i]), utf8ToWide(table.stopType[i]), cells);
  return buildStopBlock(cells, row);
}

// What a field of a row's block shows, as the service sent it or as it was typed, and the field
// as its heading names it on the form, so that the driver finds it there.
struct FieldText {
  std::string field;
  std::string text;
};

FieldText fieldText(const PrintJob& job, int32_t row, StopCellIndex cell) {
  const StopTable& table = job.table;
  const auto i = static_cast<size_t>(row);
  switch (cell) {
    case nameCell:
      return {wideToUtf8(kStationHeading), table.stationName[i]};
    case distanceCell: {
      const std::string distance = distanceDigits(table.distance[i]);
      return {wideToUtf8(kStationHeading),
              distance + (distance.empty() ? "" : " ") + table.stopType[i]};
    }
    case arrivalCell:
      return {wideToUtf8(kHoursHeading), table.arrivalText[i]};
    case departureCell:
      return {wideToUtf8(kHoursHeading), table.departureText[i]};
    case runCell:
      return {wideToUtf8(kHoursHeading), std::to_string(table.runMinutes[i])};
    case dwellCell:
      return {wideToUtf8(kHoursHeading), std::to_string(table.dwellMinutes[i])};
    case lok1Cell:
      return {wideToUtf8(kLok1Heading), wideToUtf8(job.lok1)};
    case lok2Cell:
      return {wideToUtf8(kLok2Heading), wideToUtf8(job.lok2)};
    case lok3Cell:
      return {wideToUtf8(kLok3Heading), wideToUtf8(job.lok3)};
    case massCell:
      return {wideToUtf8(kMassHeading), job.trainData[1]};
    case lengthCell:
      return {wideToUtf8(kLengthHeading), job.trainData[2]};
    case vmaxCell:
      return {wideToUtf8(kSpeedHeading), wideToUtf8(job.vmax)};
  }
  return {"", std::string()};
}

std::string tooWideWarning(const FieldText& shown, StopCellIndex cell) {
  return formatMessage(
      translate("{0} does not fit in the field {1} (field width in characters: {2}); it prints "
                "whole, and the table's vertical rules to its right move"),
      {quoted(shown.text), quoted(shown.field), std::to_string(stopFieldWidth(cell))});
}

// The marks after the foot: an incomplete form first, then a timetable from a copy.
std::vector<std::wstring> formMarks(const PrintJob& job) {
  std::vector<std::wstring> marks;
  const RowsLeftOut& left = job.table.leftOut;
  if (left.count != 0) {
    marks.push_back(
        incompleteFormMark(left.count, utf8ToWide(left.firstName), utf8ToWide(left.lastName)));
  }
  if (job.fromCopy) marks.push_back(copyFormMark(utf8ToWide(utcTimeOf(job.fetchedAt))));
  return marks;
}

}  // namespace

std::vector<std::string> buildForm(const PrintJob& job, const FormPieceWriter& write) {
  std::vector<std::string> warnings;
  std::set<std::string> warned;
  write(formOpening(job), kNoRow);
  for (int32_t row = 0; row <= job.lastRow; ++row) {
    StopCells cells;
    const std::wstring block = stopBlock(job, row, cells);
    for (StopCellIndex cell : cellsWiderThanTheForm(cells, block)) {
      std::string warning = tooWideWarning(fieldText(job, row, cell), cell);
      if (warned.insert(warning).second) warnings.push_back(std::move(warning));
    }
    write(block, row);
  }
  write(markedFormFoot(formMarks(job)), kNoRow);
  return warnings;
}
