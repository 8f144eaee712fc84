#include "platform/start_menu.h"

namespace {

// One fact of the whole run, set before anything else reads it.
bool fromStartMenu = false;

}  // namespace

void setStartedFromMenu(bool fromMenu) { fromStartMenu = fromMenu; }

bool startedFromMenu() { return fromStartMenu; }
