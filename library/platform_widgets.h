// The widget side of the platform wrappers: real message boxes and window commands.
#pragma once

class QWidget;

// Installs the QMessageBox-based handler behind FncInt_MessageBox.
void InstallMessageBoxDialogs();

// Qt's own Japanese texts for its dialogs (open file, colour) and standard buttons; the
// programs speak Japanese whatever the locale. False when the translation is not installed.
bool InstallQtTranslation();

// 0 close request, 1 activate, 2 restore when minimised, 3 raise, 4 minimise.
bool FncBln_WindowCommand(QWidget *window, int command);
void Sub_SetTopMost(QWidget *window, bool on);
