// The settings editor's start routine.
#include "Cls_Argument.h"
#include "EditorState.h"
#include "Frm_Setting.h"
#include "ProgramIcon.h"
#include "platform_widgets.h"
#include "setting_model.h"
#include "settings_location.h"
#include "single_instance.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetProgramIcon(QStringLiteral(QUORVEL_EDITOR_APP_ID));
    const QString programPath = QCoreApplication::applicationFilePath();

    SingleInstance instance(programPath);
    if (!instance.tryListen()) {
        // The running editor comes to the front; this start ends without a word.
        SingleInstance::sendRequest(programPath, QByteArrayLiteral("activate"));
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::requestReceived, &app,
                     [](const QByteArray &request) {
                         if (request.trimmed() == QByteArrayLiteral("activate")) {
                             Frm_Setting::Sub_Activate();
                         }
                     });

    // The program-wide state of the editor; each main form gets it handed over.
    const EditorArguments arguments = FncArg_ParseEditorArguments(app.arguments().mid(1));
    EditorState state;
    state.settingFolder = FncStr_SettingFolder(arguments.settingsFolder);
    state.programName = QFileInfo(programPath).completeBaseName();
    state.settingFile = state.programName + QStringLiteral(".xml");
    state.argumentSetting = arguments.settingName;
    state.setting = std::make_shared<Cls_MySettingFile>();

    InstallQtTranslation();
    InstallMessageBoxDialogs();
    // Open replaces the main form: the program ends when the form unloads, not when the
    // last window happens to close.
    app.setQuitOnLastWindowClosed(false);
    auto *form = new Frm_Setting(state);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    return app.exec();
}
