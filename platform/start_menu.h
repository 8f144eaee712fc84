#ifndef TIMETABLE_PLATFORM_START_MENU_H_
#define TIMETABLE_PLATFORM_START_MENU_H_

// Whether the program was started from one of its Start-menu entries, which pass --start-menu.
// A user who started it there has no command line to add an option to, so the advice in
// messages names the Start-menu entry that does the job instead of the option. Set once in main,
// before any message is made.
void setStartedFromMenu(bool fromMenu);
bool startedFromMenu();

#endif  // TIMETABLE_PLATFORM_START_MENU_H_
