#include <unistd.h>

#include "preview/terminal.h"

bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
