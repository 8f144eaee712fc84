// timetable-print: prints a train driver's timetable form on the printer at LPT1.
#include <exception>
#include <iostream>
#include <string>

#include "driver/print_job.h"
#include "service/service_request.h"

namespace {

// An error is reported on one line, whatever its text holds.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

int main() {
  startServiceRequests();
  int status = 0;
  try {
    runPrintJob();
  } catch (const std::exception& failure) {
    std::cout.flush();
    std::cerr << "error: " << oneLine(failure.what()) << std::endl;
    status = 1;
  }
  endServiceRequests();
  return status;
}
