#ifndef TIMETABLE_DRIVER_PRINT_JOB_TEST_SUPPORT_H_
#define TIMETABLE_DRIVER_PRINT_JOB_TEST_SUPPORT_H_

// For the benchmark and the fuzz target: a job as a run gathers it, from a timetable answer and
// the answers a driver types.
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "driver/print_job.h"

// Takes the train's description and stop points from the timetable query's "message". Without a
// non-empty list of stop points the service has no timetable for the train, which is thrown as
// std::runtime_error. An absent description reads as an empty one.
void takeTimetable(nlohmann::json answer, PrintJob& job);

// Builds the job's stop table, train label and route text from the timetable it took, which is
// not needed afterwards and is moved from. Returns a warning when the table could not hold every
// stop, otherwise an empty text.
std::string buildJobStopTable(PrintJob& job);

// The job of train 5410 with the timetable of answer, its stop table built, and sample mass,
// length, locomotives and speed. An answer without a timetable is thrown as a run throws it;
// tableWarning gets the stop table's warning.
inline PrintJob sampleJob(nlohmann::json answer, std::string& tableWarning) {
  PrintJob job;
  job.trainNumber = "5410";
  job.trainData = {"", "512", "187"};
  job.lok1 = L"EP09";
  job.lok2 = L"EU07";
  job.lok3 = L"x";
  job.vmax = L"160";
  takeTimetable(std::move(answer), job);
  tableWarning = buildJobStopTable(job);
  return job;
}

#endif  // TIMETABLE_DRIVER_PRINT_JOB_TEST_SUPPORT_H_
