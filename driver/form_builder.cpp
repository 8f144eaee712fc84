#include "driver/form_builder.h"

#include <cstdio>

#include "form/code_page.h"
#include "form/form_text.h"
#include "form/printer_code.h"
#include "form/stop_block.h"
#include "form/stop_cells.h"
#include "platform/utf8.h"
#include "timetable/stop_table.h"

namespace {

// "%f" of the largest double has 309 digits before its point and six after it.
const size_t kDistanceTextSize = 512;

std::wstring distanceText(double distance) {
  if (isMissingDistance(distance)) return std::wstring();
  char text[kDistanceTextSize];
  std::snprintf(text, sizeof text, "%f", distance);
  return utf8ToWide(text);
}

std::wstring decimalText(int32_t value) { return utf8ToWide(std::to_string(value)); }

// Three short lines, then the route line in bold (train label, " Relacja " and the route), then
// the head.
std::wstring formOpening(const PrintJob& job) {
  const std::wstring routeLine =
      toPrinterCodePage(utf8ToWide(job.trainLabel + " Relacja " + job.routeText));
  return std::wstring(L"\n \n \n") + kBoldOn + routeLine + L"\n" + kBoldOff + formHead;
}

std::wstring stopBlock(const PrintJob& job, int32_t row) {
  const StopTable& table = job.table;
  const auto i = static_cast<size_t>(row);
  StopCells cells;
  buildStopCells(table.highlighted[i], utf8ToWide(table.stationName[i]), job.lok1, job.lok2,
                 job.lok3, utf8ToWide(job.trainData[1]), utf8ToWide(job.trainData[2]), job.vmax,
                 distanceText(table.distance[i]), utf8ToWide(table.arrivalText[i]),
                 utf8ToWide(table.departureText[i]), decimalText(table.runMinutes[i]),
                 decimalText(table.dwellMinutes[i]), utf8ToWide(table.stopType[i]), cells);
  return buildStopBlock(cells, row);
}

}  // namespace

void buildForm(const PrintJob& job, const FormPieceWriter& write) {
  write(formOpening(job), kNoRow);
  for (int32_t row = 0; row <= job.lastRow; ++row) write(stopBlock(job, row), row);
  write(formFoot, kNoRow);
}
