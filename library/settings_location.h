// Where the setting files live.
#pragma once

#include <QString>

// The folder of the setting files: overrideFolder when one is given, else the program's
// folder when the user may write there, else the per-user configuration folder (the
// same one for both programs). With createFolder, a missing folder is created.
QString FncStr_SettingFolder(const QString &overrideFolder, const QString &programFolder,
                             bool createFolder = true);
// As above, for the running program's folder.
QString FncStr_SettingFolder(const QString &overrideFolder = {}, bool createFolder = true);

// The per-user configuration folder shared by the palette and the editor.
QString FncStr_UserSettingFolder();

// True when a file can be created in the folder (a probe, not the permission bits, so
// that access-control lists and read-only mounts count).
bool FncBln_IsFolderWritable(const QString &folder);
