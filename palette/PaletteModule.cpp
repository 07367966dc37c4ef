#include "PaletteModule.h"

#include "Frm_Item_FromIniFile.h"
#include "platform_wrappers.h"
#include "program_state.h"
#include "setting_model.h"
#include "text_file.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>

namespace mdl_Palette {
namespace {

QPointer<Frm_Item_FromIniFile> &windowReference()
{
    static QPointer<Frm_Item_FromIniFile> window;
    return window;
}

QuitHandler &quitHandler()
{
    static QuitHandler handler;
    return handler;
}

QStringList &editorFolders()
{
    static QStringList folders;
    return folders;
}

} // namespace

void Open(bool keepOnTop, bool showReload)
{
    OpenSettingFile();

    Frm_Item_FromIniFile *window = CurrentWindow();
    if (window == nullptr) {
        // A top-level window has no parent to own it: it deletes itself on close and
        // the module only tracks it.
        window = new Frm_Item_FromIniFile();
        SetCurrentWindow(window);
    }
    window->show();
    window->ApplyOpenOptions(keepOnTop, showReload);
}

Frm_Item_FromIniFile *CurrentWindow()
{
    return windowReference().data();
}

void SetCurrentWindow(Frm_Item_FromIniFile *window)
{
    windowReference() = window;
}

QString FncStr_JoinPath(const QString &folder, const QString &name)
{
    return TextFile::joinPath(folder, name);
}

void Sub_ListSettingFiles(QComboBox &selector)
{
    selector.clear();
    VbError error;
    selector.addItems(SettingFileNames(gStr_SettingFolder, &error));
    if (error.isSet()) {
        error.source = QStringLiteral("Sub_ListSettingFiles");
        Sub_ShowError(error);
    }
}

void Sub_EndProgram()
{
    gObj_Setting.reset();
    if (quitHandler())
        quitHandler()();
    else
        QCoreApplication::quit();
}

QuitHandler SetQuitHandler(QuitHandler handler)
{
    return std::exchange(quitHandler(), std::move(handler));
}

QStringList EditorSearchFolders()
{
    if (!editorFolders().isEmpty())
        return editorFolders();
    return {QCoreApplication::applicationDirPath(), QDir::currentPath()};
}

void SetEditorSearchFolders(const QStringList &folders)
{
    editorFolders() = folders;
}

QString EditorProgramFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("QuorvelMate.exe");
#else
    return QStringLiteral("QuorvelMate");
#endif
}

} // namespace mdl_Palette
