// Where the setting files live.
#pragma once

#include <QString>

// The folder of the setting files: overrideFolder when one is given, else the program's
// folder when the user may write there and it is no installed program's folder, else the
// per-user configuration folder (the same one for both programs). With createFolder, a
// missing folder is created.
QString FncStr_SettingFolder(const QString &overrideFolder, const QString &programFolder,
                             bool createFolder = true);
// As above, for the running program's folder.
QString FncStr_SettingFolder(const QString &overrideFolder = {}, bool createFolder = true);

// True for a folder that belongs to an installation rather than to the user: one under a
// system prefix (/usr, /usr/local, /opt), or the bin/ folder of a tree that also holds the
// programs' desktop entry (an install into a user's own prefix such as ~/.local).
bool FncBln_IsInstalledProgramFolder(const QString &programFolder);

// The per-user configuration folder shared by the palette and the editor.
QString FncStr_UserSettingFolder();

// True when a file can be created in the folder (a probe, not the permission bits, so
// that access-control lists and read-only mounts count).
bool FncBln_IsFolderWritable(const QString &folder);
