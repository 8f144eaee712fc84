#include "driver/reprint.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>

#include "driver/kept_forms.h"
#include "driver/print_job.h"
#include "driver/run_event.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "platform/overloaded.h"
#include "platform/settings_store.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/destination.h"
#include "printer/printer_stream.h"
#include "service/service_settings.h"

namespace {

// Which train, fetched when, how many rows: the same words in the list and after a reprint.
std::string formFacts(const KeptForm& form) {
  return formatMessage(
      translatePlural("train {0} ({1}), fetched {2}, {3} row",
                      "train {0} ({1}), fetched {2}, {3} rows",
                      static_cast<unsigned long>(form.rows)),
      {form.trainNumber, form.trainLabel, localTimeOf(form.fetchedAt), std::to_string(form.rows)});
}

// Where the form went, for the user; the screen's PDF by the name it got.
std::string whereItWent(const Destination& destination, const std::string& shownFile) {
  return std::visit(
      Overloaded{
          [](const DeviceDestination& device) {
            return formatMessage(translate("the printer {0}"), {device.device});
          },
          [](const BytesFileDestination& file) {
            // Where a plain file stands in for the printer, it is the printer to the user.
            return formatMessage(file.path == kPrinterDevice ? translate("the printer {0}")
                                                             : translate("the file {0}"),
                                 {file.path});
          },
          [&shownFile](const RenderedFileDestination& file) {
            if (!file.path.empty()) return formatMessage(translate("the file {0}"), {file.path});
            return shownFile.empty()
                       ? std::string(translate("the screen"))
                       : formatMessage(translate("the screen, in the file {0}"), {shownFile});
          },
          [](const SpoolDestination& spool) {
            return formatMessage(translate("the spooler's printer {0}"), {spool.printer});
          },
          [](const DrawnDestination& drawn) {
            return formatMessage(translate("the spooler's printer {0}, drawn"), {drawn.printer});
          },
      },
      destination);
}

KeptFormAge ageNow(const KeptForm& form) {
  return keptFormAge(form, static_cast<int64_t>(std::time(nullptr)));
}

// The kept form, or a failure that says why there is none to print.
KeptForm keptFormNumbered(int number) {
  KeptForm form;
  bool absent = false;
  std::string reason;
  if (readKeptForm(number, form, absent, reason)) return form;
  const int last = absent && number == 1 ? lastKeptFormNumber() : 0;
  if (last > 1) {
    throw std::runtime_error(formatMessage(
        translate("the last form kept is missing; the last one there is number {0}: "
                  "timetable-print --reprint {0} prints it, --reprint --list shows them all"),
        {std::to_string(last)}));
  }
  if (absent && number == 1) {
    throw std::runtime_error(translate(
        "no form has been printed whole yet, so there is none to print again; print the form "
        "anew"));
  }
  if (absent) {
    throw std::runtime_error(formatMessage(
        translate("there is no kept form number {0}; timetable-print --reprint --list shows "
                  "the kept forms"),
        {std::to_string(number)}));
  }
  throw std::runtime_error(formatMessage(
      translate("the kept form cannot be used, so it is not printed; print the form anew: {0}"),
      {reason}));
}

}  // namespace

int listKeptForms() {
  std::string list;
  for (int number = 1; number <= kKeptFormCount; ++number) {
    KeptForm form;
    bool absent = false;
    std::string reason;
    if (readKeptForm(number, form, absent, reason)) {
      const KeptFormAge age = ageNow(form);
      list += std::to_string(number) + "  " + formFacts(form) +
              (age == KeptFormAge::kTooOld ? translate(" (too old to print again)") : "") +
              (age == KeptFormAge::kFromTheFuture
                   ? translate(" (fetched in the future by this clock, not printed again)")
                   : "") +
              "\n";
    } else if (!absent) {
      list += std::to_string(number) + "  " +
              formatMessage(translate("cannot be used: {0}"), {reason}) + "\n";
    }
  }
  if (list.empty()) {
    list = translate("no form has been printed whole yet, so none is kept") + std::string("\n");
  }
  writeConsoleText(stdout, eachLineOneLine(list));
  return 0;
}

int runReprint(const InvocationPlan& plan, int number) {
  // A source that cannot be read may hold the destination; the service's values do not matter.
  if (!plan.service.sourceErrors.empty()) {
    throw std::runtime_error(plan.service.sourceErrors.front());
  }
  if (!plan.destinationError.empty()) throw std::runtime_error(plan.destinationError);
  const KeptForm form = keptFormNumbered(number);
  if (ageNow(form) == KeptFormAge::kFromTheFuture) {
    throw std::runtime_error(formatMessage(
        translate("the kept form of train {0} says it was fetched {1}, which is later than now, "
                  "so it is not printed again: the clock was changed or the file was; print "
                  "the form anew"),
        {form.trainNumber, localTimeOf(form.fetchedAt)}));
  }
  if (ageNow(form) == KeptFormAge::kTooOld) {
    throw std::runtime_error(formatMessage(
        translate("the kept form of train {0} was fetched {1}, more than {2} hours ago, so it is "
                  "not printed again: the timetable may have changed since; print the form anew"),
        {form.trainNumber, localTimeOf(form.fetchedAt), std::to_string(kKeptFormHours)}));
  }
  noteEventTrain(form.trainNumber);
  Destination destination = chooseDestination(plan.destinationRequest);
  noteEventDestination(destination);
  prepareDestination(destination);
  PrinterStream printer = openPrinterStream(destination, "timetable " + form.trainNumber);
  writeBytesToPrinter(printer, form.bytes);
  const StreamEnd end = closePrinterStream(printer);
  logLine("reprinted kept form " + std::to_string(number) + " of train " + form.trainNumber +
          " fetched " + localTimeOf(form.fetchedAt) + ", " + std::to_string(form.rows) +
          " rows, to " + inEnglish([&] { return destinationText(destination); }));
  for (const std::string& text : end.warnings) warning(text);
  for (const std::string& text : end.notices) notice(text);
  writeConsoleText(
      stdout,
      eachLineOneLine(formatMessage(translate("printed again: {0}, to {1}"),
                                    {formFacts(form), whereItWent(destination, end.shownFile)}) +
                      "\n"));
  // A form cut short is said to be so again, last, as when it was first printed.
  if (!form.warning.empty()) warning(form.warning);
  return 0;
}
