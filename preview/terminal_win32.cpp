#include <io.h>
#include <stdio.h>

#include "preview/terminal.h"

bool standardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }
