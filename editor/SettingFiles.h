// SettingFiles: the file work behind the main form's commands: opening the setting being
// edited, the backup copy and its restore, and handing the setting to the palette preview.
#pragma once

#include <QString>

struct EditorState;
class Frm_Item_FromIniFile;

namespace SettingFiles {

// Opens the state's setting file into a fresh model, as the palette does but keeping the
// date placeholders, so that saving writes them back intact. A missing file is replaced by
// the default one; a file that is there but cannot be read is left alone.
void open(EditorState &state);

// Copies "<name>.xml" of the folder into its "_backup" folder.
bool createBackup(const QString &folder, const QString &name);

enum class RestoreResult
{
    Done,
    Failed,
    // The backup is there but is no complete setting file: nothing was copied.
    Refused
};
RestoreResult restoreBackup(const QString &folder, const QString &name);

// The preview is the palette's own window on the palette's own state: the editor hands it
// the setting it edits and, when it is shown already, asks for its reload explicitly; the
// palette's model is another instance than the editor's. Returns the window now shown.
Frm_Item_FromIniFile *showPreview(const EditorState &state, const QString &settingName,
                                  bool reload);

} // namespace SettingFiles
