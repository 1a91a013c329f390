#pragma once

#include <QIcon>

// The names and the icon the desktop knows the program by: application and display name "Pairwick",
// the version, the desktop entry's id (so the task bar finds the entry and its icon) and the window
// icon. Call once, right after the application object exists.
void SetDesktopIdentity();

// The program's icon at every size it is drawn in.
QIcon ProgramIcon();
