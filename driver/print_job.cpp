#include "driver/print_job.h"

#include <cstdint>
#include <ctime>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "driver/form_builder.h"
#include "driver/kept_forms.h"
#include "driver/offline_fallback.h"
#include "driver/print_job_contents.h"
#include "driver/request_failure_text.h"
#include "driver/run_event.h"
#include "driver/timetable_copy.h"
#include "driver/train_number.h"
#include "form/form_text.h"
#include "json/json_quote.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/overloaded.h"
#include "platform/start_menu.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "platform/utf8.h"
#include "printer/printer_stream.h"
#include "service/online_lookup.h"
#include "service/timetable_query.h"
#include "timetable/stop_table.h"

namespace {

const char* const kRegionCode = "eu";

void endLine() { std::cout << std::endl; }

void requireTrainNumber(const std::string& word) {
  if (word.empty()) {
    throw std::runtime_error(translate(
        "no train number was typed; start the program again and type the train's number"));
  }
  if (!isTrainNumber(word)) {
    throw std::runtime_error(
        formatMessage(translate("{0} is not a train number; start the program again and type the "
                                "train's number in digits, at most {1} of them, such as 5410"),
                      {quotedInMessage(word), std::to_string(kMaxTrainNumberDigits)}));
  }
}

// Phase 1: the train number and the timetable.
void fetchTrainTimetable(PrintJob& job, int64_t offlineHours) {
  std::cout << "TRAIN NUMBER: ";
  job.trainNumber = readWord();
  endLine();
  // As typed (a prompt's answer is short), before it is checked.
  logLine("train number: " + job.trainNumber);
  requireTrainNumber(job.trainNumber);
  noteEventTrain(job.trainNumber);

  fetchOrCopyTimetable(job, kRegionCode, offlineHours);
}

std::wstring askWideWord(const char* prompt) {
  endLine();
  std::cout << prompt << std::flush;
  return readWideWord();
}

// Phase 2: mass and length, the stop table, the locomotives and the speed.
void gatherJobDetails(PrintJob& job) {
  // The stop table first: it releases the timetable's decoded values, so that they and the list
  // of trains online are never in memory together.
  job.tableWarning = buildJobStopTable(job);
  const TrainDataLookup lookup = lookUpTrainData(job.trainNumber, job.trainData);
  if (lookup.failure) {
    logLine("request failed: " + lookup.failure->url + " " + failureLogKey(*lookup.failure));
    notice(formatMessage(
        translate("the list of trains online could not be read, so the fields {0} and {1} stay "
                  "empty on the form: {2}"),
        {quoted(wideToUtf8(kMassHeading)), quoted(wideToUtf8(kLengthHeading)),
         requestFailureText(*lookup.failure, startedFromMenu() ? StartedFrom::kStartMenu
                                                               : StartedFrom::kCommandLine)}));
  } else if (!lookup.found) {
    notice(formatMessage(
        translate("train {0} is not in the list of trains online, so the fields "
                  "{1} and {2} stay empty on the form"),
        {job.trainNumber, quoted(wideToUtf8(kMassHeading)), quoted(wideToUtf8(kLengthHeading))}));
  }
  if (!job.tableWarning.empty()) warning(job.tableWarning);
  job.lok1 = askWideWord("LOK1:");
  job.lok2 = askWideWord("LOK2:");
  job.lok3 = askWideWord("LOK3:");
  job.vmax = askWideWord("Vmax(km/h)=");
  std::cout << job.lastRow;
  endLine();
}

// A form printed whole is kept for a reprint; one that cannot be kept leaves the run as it is,
// and the log says why.
void keepPrintedForm(const PrintJob& job, std::string bytes) {
  KeptForm form;
  form.trainNumber = job.trainNumber;
  form.trainLabel = job.trainLabel;
  form.fetchedAt = job.fetchedAt;
  form.rows = job.lastRow + 1;
  form.version = TIMETABLE_VERSION;
  form.warning = job.tableWarning;
  form.bytes = std::move(bytes);
  std::string reason;
  switch (keepForm(form, reason)) {
    case KeepOutcome::kKept:
      logLine("kept the form for a reprint in " + keptFormPath(1));
      break;
    case KeepOutcome::kTooLarge:
      // The user would count on a reprint that cannot be.
      notice(reason);
      break;
    case KeepOutcome::kFailed:
      logLine("could not keep the form for a reprint: " + reason);
      break;
  }
}

// Phase 3: the route line, the head, one block per stop, the foot.
void printForm(const PrintJob& job, const Destination& destination) {
  PrinterStream printer = openPrinterStream(destination, "timetable " + job.trainNumber);
  // The printer's bytes as the form's text gives them, whatever the destination; a reprint adds
  // the carriage returns as this run's destination does.
  std::string kept;
  const std::vector<std::string> tooWide =
      buildForm(job, [&printer, &kept](const std::wstring& piece, int32_t row) {
        kept += printerBytes(piece, true);
        if (row == kNoRow) {
          writeToPrinter(printer, piece);
          return;
        }
        // A row is reported OK only once its block is handed on: it has reached the device, the
        // file or the spooler, or for a form drawn at the end (--drawn, -o form.pdf) its memory.
        std::cout << row;
        writeToPrinter(printer, piece);
        std::cout << " OK";
        endLine();
      });
  for (const std::string& text : tooWide) warning(text);
  const StreamEnd end = closePrinterStream(printer);
  keepPrintedForm(job, std::move(kept));
  keepTimetableCopy(job);
  logLine("printed rows 0 to " + std::to_string(job.lastRow) + " to " +
          inEnglish([&] { return destinationText(destination); }) +
          (job.fromCopy
               ? " from a copy of the timetable fetched " + utcTimeOf(job.fetchedAt) + " UTC"
               : std::string()));
  for (const std::string& text : end.warnings) warning(text);
  for (const std::string& text : end.notices) notice(text);
  // An incomplete form is said again last, so that it is what the window shows at the end.
  if (!job.tableWarning.empty()) {
    noteEventIncompleteForm();
    warning(job.tableWarning);
  }
}

}  // namespace

bool holdsTimetable(const nlohmann::json& answer) {
  if (!answer.is_object()) return false;
  const auto stopPoints = answer.find("stopPoints");
  return stopPoints != answer.end() && stopPoints->is_array() && !stopPoints->empty();
}

void takeTimetable(nlohmann::json answer, PrintJob& job) {
  if (!holdsTimetable(answer)) {
    throw std::runtime_error(formatMessage(
        translate(
            "the timetable service has no timetable for train {0}; check the train number and "
            "start the program again"),
        {job.trainNumber}));
  }
  job.stopPoints = std::move(answer["stopPoints"]);
  auto trainInfo = answer.find("trainInfo");
  job.trainInfo = trainInfo == answer.end() ? nlohmann::json::object() : std::move(*trainInfo);
}

std::string buildJobStopTable(PrintJob& job) {
  std::string warning;
  job.lastRow = buildStopTable(std::move(job.trainInfo), std::move(job.stopPoints), job.table,
                               job.trainLabel, job.routeText, warning);
  return warning;
}

void runPrintJob(Destination destination, int64_t offlineHours) {
  prepareDestination(destination);
  PrintJob job;
  fetchTrainTimetable(job, offlineHours);
  gatherJobDetails(job);
  printForm(job, destination);
}
