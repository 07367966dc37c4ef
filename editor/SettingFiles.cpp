#include "SettingFiles.h"

#include "EditorState.h"
#include "Frm_Item_FromIniFile.h"
#include "PaletteModule.h"
#include "file_system.h"
#include "program_state.h"
#include "setting_model.h"
#include "setting_values.h"
#include "tag_document.h"
#include "text_file.h"

#include <QFileInfo>

namespace SettingFiles {
namespace {

const QString kBackupFolder = QStringLiteral("_backup");

// A backup cut short (a full disk) still reads, but its document never closes.
bool backupLoads(const QString &folder, const QString &file)
{
    Cls_XML text;
    text.SaveFilePath_Prop(folder);
    Cls_MySettingFile backup;
    backup.Path(folder);
    backup.Name(file);
    backup.FillDatesOnLoad(false);
    return text.OnlyReadFile_bln(file) &&
           text.FileData().contains(QStringLiteral("</") + SettingFormat::SavedRoot + u'>') &&
           backup.LoadFile();
}

} // namespace

void open(EditorState &state)
{
    auto model = std::make_shared<Cls_MySettingFile>();
    model->Path(state.settingFolder);
    model->Name(state.settingFile);
    model->FillDatesOnLoad(false);
    state.setting = model;
    if (model->LoadFile() ||
        QFileInfo::exists(TextFile::joinPath(state.settingFolder, state.settingFile))) {
        return;
    }
    if (model->SaveFile(DefaultSettingFileText())) {
        model->LoadFile();
    }
}

bool createBackup(const QString &folder, const QString &name)
{
    const QString backupFolder = TextFile::joinPath(folder, kBackupFolder);
    const QString file = name + QStringLiteral(".xml");
    Cls_FileSystem fileSystem;
    return !name.isEmpty() && fileSystem.PFncBln_CreateFolder(backupFolder) &&
           fileSystem.PFncBln_CopyFile(TextFile::joinPath(folder, file),
                                       TextFile::joinPath(backupFolder, file), true);
}

RestoreResult restoreBackup(const QString &folder, const QString &name)
{
    const QString backupFolder = TextFile::joinPath(folder, kBackupFolder);
    const QString file = name + QStringLiteral(".xml");
    const QString backup = TextFile::joinPath(backupFolder, file);
    if (name.isEmpty()) {
        return RestoreResult::Failed;
    }
    if (QFileInfo::exists(backup) && !backupLoads(backupFolder, file)) {
        return RestoreResult::Refused;
    }
    Cls_FileSystem fileSystem;
    return fileSystem.PFncBln_CopyFile(backup, TextFile::joinPath(folder, file), true)
               ? RestoreResult::Done
               : RestoreResult::Failed;
}

Frm_Item_FromIniFile *showPreview(const EditorState &state, const QString &settingName, bool reload)
{
    gStr_SettingFolder = state.settingFolder;
    gStr_ProgramName = state.programName;
    gStr_SettingFile =
        settingName.isEmpty() ? state.settingFile : settingName + QStringLiteral(".xml");
    Frm_Item_FromIniFile *preview = mdl_Palette::CurrentWindow();
    if (reload && preview != nullptr) {
        preview->Lbl_Reload_Click();
        preview = mdl_Palette::CurrentWindow();
    }
    if (preview == nullptr) {
        // As the palette does, on the file with the dates filled. Before a setting is
        // chosen there is no file to load (nor a default one to write).
        if (!settingName.isEmpty()) {
            OpenSettingFile(true);
        } else if (!gObj_Setting) {
            gObj_Setting = std::make_shared<Cls_MySettingFile>();
        }
        preview = new Frm_Item_FromIniFile;
        mdl_Palette::SetCurrentWindow(preview);
    }
    preview->show();
    preview->SetMode(true);
    return preview;
}

} // namespace SettingFiles
