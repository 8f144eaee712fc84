#include "driver/print_job.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "driver/console.h"
#include "driver/utf8.h"
#include "form/code_page.h"
#include "form/form_text.h"
#include "form/printer_code.h"
#include "form/stop_block.h"
#include "form/stop_cells.h"
#include "printer/printer_stream.h"
#include "service/online_lookup.h"
#include "service/timetable_query.h"
#include "timetable/stop_table.h"

namespace {

const char* const regionCode = "eu";
const size_t kMaxTrainNumberDigits = 10;

void endLine() { std::cout << std::endl; }

// The train number goes into the request address unescaped, so only digits may pass.
void requireTrainNumber(const std::string& word) {
  if (word.empty()) throw std::runtime_error("no train number was given");
  bool digits = word.size() <= kMaxTrainNumberDigits;
  for (char c : word) digits = digits && c >= '0' && c <= '9';
  if (!digits || std::stoull(word) > 2147483647ULL) {
    throw std::runtime_error(
        "the train number " +
        nlohmann::json(word).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
        " is not a number from 0 to 2147483647");
  }
}

// Phase 1: the train number and the timetable.
void fetchTrainTimetable(PrintJob& job) {
  std::cout << "TRAIN NUMBER: ";
  std::cin >> job.trainNumber;
  endLine();
  requireTrainNumber(job.trainNumber);

  takeTimetable(fetchTimetable(job.trainNumber, regionCode), job);
}

std::wstring askWideWord(const char* prompt) {
  endLine();
  std::cout << prompt << std::flush;
  return readWideWord();
}

// Phase 2: mass and length, the stop table, the locomotives and the speed.
void gatherJobDetails(PrintJob& job) {
  const std::string notice = lookupOnlineTrain(job.trainNumber, job.trainData);
  if (!notice.empty()) std::cerr << "notice: " << notice << std::endl;
  // The timetable is not needed after this, so the table builder gets it without a copy.
  job.lastRow = buildStopTable(std::move(job.trainInfo), std::move(job.stopPoints), job.table,
                               job.trainLabel, job.routeText);
  job.lok1 = askWideWord("LOK1:");
  job.lok2 = askWideWord("LOK2:");
  job.lok3 = askWideWord("LOK3:");
  job.vmax = askWideWord("Vmax(km/h)=");
  std::cout << job.lastRow;
  endLine();
}

std::wstring distanceText(double distance) {
  if (isMissingDistance(distance)) return std::wstring();
  char text[512];
  std::snprintf(text, sizeof text, "%f", distance);
  return utf8ToWide(text);
}

std::wstring decimalText(int32_t value) { return utf8ToWide(std::to_string(value)); }

}  // namespace

void takeTimetable(nlohmann::json answer, PrintJob& job) {
  auto stopPoints = answer.is_object() ? answer.find("stopPoints") : answer.end();
  if (stopPoints == answer.end() || !stopPoints->is_array() || stopPoints->empty()) {
    throw std::runtime_error("the timetable service has no timetable for train " + job.trainNumber);
  }
  job.stopPoints = std::move(*stopPoints);
  auto trainInfo = answer.find("trainInfo");
  job.trainInfo = trainInfo == answer.end() ? nlohmann::json::object() : std::move(*trainInfo);
}

std::wstring routeLine(const PrintJob& job) {
  return toPrinterCodePage(utf8ToWide(job.trainLabel + " Relacja " + job.routeText));
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

namespace {

// Phase 3: the route line, the head, one block per stop, the foot.
void printForm(const PrintJob& job) {
  PrinterStream printer = openPrinterStream();
  writeToPrinter(
      printer, std::wstring(L"\n \n \n") + kBoldOn + routeLine(job) + L"\n" + kBoldOff + formHead);
  for (int32_t row = 0; row <= job.lastRow; ++row) {
    std::cout << row;
    writeToPrinter(printer, stopBlock(job, row));
    std::cout << " OK";
    endLine();
  }
  writeToPrinter(printer, formFoot);
  closePrinterStream(printer);
}

}  // namespace

void runPrintJob() {
  PrintJob job;
  fetchTrainTimetable(job);
  gatherJobDetails(job);
  printForm(job);
}
