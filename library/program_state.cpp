#include "program_state.h"

#include "setting_model.h"

QString gStr_SettingFolder;
QString gStr_ProgramName;
QString gStr_SettingFile;
QString gStr_ArgumentSetting;
std::shared_ptr<Cls_MySettingFile> gObj_Setting;
