#ifndef TIMETABLE_PLATFORM_START_MENU_H_
#define TIMETABLE_PLATFORM_START_MENU_H_

// Whether the program was started from one of its Start-menu entries, which pass --start-menu.
// A user who started it there has no command line to add an option to, so the advice in
// messages names the Start-menu entry that does the job instead of the option. Set once in main,
// before any message is made.
void setStartedFromMenu(bool fromMenu);
bool startedFromMenu();

// The Start-menu entries by the names the installer gives them (scripts/build-msi.sh), Polish
// whatever the user's language: advice names them as the user finds them in the menu.
extern const char kFormMenuEntry[];     // Prints where the destination setting says.
extern const char kScreenMenuEntry[];   // Shows the form on screen.
extern const char kCheckMenuEntry[];    // Checks the connection and the destination.
extern const char kReprintMenuEntry[];  // Prints the last form again where the setting says.

#endif  // TIMETABLE_PLATFORM_START_MENU_H_
