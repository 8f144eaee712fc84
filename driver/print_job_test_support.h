#ifndef TIMETABLE_DRIVER_PRINT_JOB_TEST_SUPPORT_H_
#define TIMETABLE_DRIVER_PRINT_JOB_TEST_SUPPORT_H_

// For the benchmark and the fuzz target: a job as a run gathers it, from a timetable answer and
// the answers a driver types.
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "driver/print_job_contents.h"

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
