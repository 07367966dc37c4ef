// Program-wide state shared by the palette window and the editor.
#pragma once

#include <QString>
#include <memory>

class Cls_MySettingFile;

extern QString gStr_SettingFolder;   // folder of the setting files
extern QString gStr_ProgramName;     // program file name without extension
extern QString gStr_SettingFile;     // setting file name with ".xml"
extern QString gStr_ArgumentSetting; // editor: setting name from the command line
extern std::shared_ptr<Cls_MySettingFile> gObj_Setting;
