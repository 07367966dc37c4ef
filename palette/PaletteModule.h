// The palette's module procedures: opening the window from the setting file, the one
// current window, the setting-file list and path joining.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;
class Frm_Item_FromIniFile;

namespace mdl_Palette {

// Loads gStr_SettingFile from gStr_SettingFolder into a new gObj_Setting (writing the
// default file when it cannot be read), then creates the window when none exists and
// shows it. keepOnTop checks Chk_Most; showReload makes Lbl_Reload visible.
void Open(bool keepOnTop, bool showReload);

// The palette window now shown, or null. A reload replaces the window with a new
// instance, so hosts must look it up here again after Lbl_Reload_Click instead of
// keeping a pointer. The window deletes itself when it is closed.
Frm_Item_FromIniFile *CurrentWindow();
void SetCurrentWindow(Frm_Item_FromIniFile *window);

// Joins a folder and a name with exactly one platform separator.
QString FncStr_JoinPath(const QString &folder, const QString &name);

// Fills the selector with the names of the ".xml" files (exact case) of
// gStr_SettingFolder, without the extension, in name order.
void Sub_ListSettingFiles(QComboBox &selector);

// Releases gObj_Setting and ends the program through the quit handler (by default
// QCoreApplication::quit). Tests install a handler to observe it.
void Sub_EndProgram();
using QuitHandler = std::function<void()>;
QuitHandler SetQuitHandler(QuitHandler handler);

// Where the Edit label looks for the editor program, in order: beside this program,
// then the working directory. Tests replace the list; an empty list restores it.
QStringList EditorSearchFolders();
void SetEditorSearchFolders(const QStringList &folders);
// "QuorvelMate", with ".exe" on Windows.
QString EditorProgramFileName();

} // namespace mdl_Palette
