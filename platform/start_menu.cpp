#include "platform/start_menu.h"

namespace {

// One fact of the whole run, set before anything else reads it.
bool fromStartMenu = false;

}  // namespace

// UTF-8, as every text of the program is.
const char kFormMenuEntry[] =
    "Rozk\xc5\x82"
    "ad jazdy";
const char kScreenMenuEntry[] =
    "Rozk\xc5\x82"
    "ad jazdy na ekranie";
const char kCheckMenuEntry[] =
    "Sprawd\xc5\xba po\xc5\x82\xc4\x85"
    "czenie";

const char kReprintMenuEntry[] = "Drukuj ponownie ostatni formularz";

void setStartedFromMenu(bool fromMenu) { fromStartMenu = fromMenu; }

bool startedFromMenu() { return fromStartMenu; }
