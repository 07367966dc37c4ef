// The programs' own icon and their place on the desktop.
#pragma once

#include <QString>

// Gives every window of the program the program's icon (unless the window sets its own)
// and names the desktop entry the windows belong to, so that docks and task bars match
// them to the installed menu entry.
void SetProgramIcon(const QString &desktopEntryId);
