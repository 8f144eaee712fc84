#include "driver/exit_status.h"

const int kExitDone = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

bool outputIsTheAnswer(const CommandLine& line) {
  return line.help || line.version || line.listPrinters || line.check || line.settings ||
         (line.reprint && line.list);
}

int statusOfAnswer(int status, int outputError) { return outputError != 0 ? kExitFailed : status; }
