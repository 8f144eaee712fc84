#include "driver/exit_status.h"

const int kExitDone = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

bool outputIsTheAnswer(InvocationMode mode) {
  switch (mode) {
    case InvocationMode::kHelp:
    case InvocationMode::kVersion:
    case InvocationMode::kListPrinters:
    case InvocationMode::kCheck:
    case InvocationMode::kSettings:
    case InvocationMode::kListKeptForms:
    case InvocationMode::kPrefetch:
      return true;
    case InvocationMode::kReprint:
    case InvocationMode::kRun:
      return false;
  }
  return false;
}

int statusOfAnswer(int status, int outputError) { return outputError != 0 ? kExitFailed : status; }
