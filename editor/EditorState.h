// EditorState: the editor's program-wide state (gStr_SettingFolder, gStr_ProgramName,
// gStr_SettingFile, gStr_ArgumentSetting and gObj_Setting of the start routine). The start
// routine owns it and hands it to each main form; the palette preview gets its own copy of
// the names only when the editor shows or reloads it.
#pragma once

#include <QString>
#include <memory>

class Cls_MySettingFile;

struct EditorState
{
    QString settingFolder;
    QString programName;
    QString settingFile;
    QString argumentSetting;
    std::shared_ptr<Cls_MySettingFile> setting;
};
