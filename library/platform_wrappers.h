// Message boxes, the error box and thin wrappers over the shell and processes.
// Everything a user sees as a message box goes through FncInt_MessageBox, so that
// tests (and the widget layer) can install the handler that shows or answers it.
#pragma once

#include <QString>
#include <functional>

class QWindow;

// Message-box style flags and answers, with the values the setting files' world knows.
namespace MsgBox {
enum Style : int
{
    OkOnly = 0,
    OkCancel = 1,
    YesNo = 4,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};
enum Answer : int
{
    Ok = 1,
    Cancel = 2,
    Yes = 6,
    No = 7,
};
} // namespace MsgBox

// Run-time error numbers, as the setting files' world reports them.
namespace VbErrorNo {
enum : int
{
    InvalidArgument = 5,
    OutOfMemory = 7,
    TypeMismatch = 13,
    InternalError = 51,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIoError = 57,
    FileAlreadyExists = 58,
    DiskFull = 61,
    TooManyFiles = 67,
    PermissionDenied = 70,
    RenameAcrossDisks = 74,
    PathFileAccessError = 75,
    PathNotFound = 76,
};
} // namespace VbErrorNo

// An error that reaches a handler: number, description and the component that raised it.
struct VbError
{
    int number = 0;
    QString description;
    QString source;

    bool isSet() const { return number != 0 || !description.isEmpty(); }
};

using MessageBoxHandler =
    std::function<int(int style, const QString &prompt, const QString &title)>;

// Installs the handler that shows (or, in tests, records and answers) message boxes and
// returns the previous one. Without a handler a box is written to standard error and
// answered with its first button.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int FncInt_MessageBox(int style, const QString &prompt, const QString &title);
// True when the answer is OK or Yes.
bool FncBln_MessageBoxYesNo(int style, const QString &prompt, const QString &title);

// "VB Error" box: number, space, description, CR, source.
QString FncStr_ErrorText(const VbError &error);

// Blanks (not TABs or line breaks) cut from both ends, as the runtime's Trim does.
QString trimBlanks(const QString &text);
void Sub_ShowError(const VbError &error);

// Shell open result codes: above 32 is success.
int FncInt_ShellOpenCode(const QString &path, const QString &workingFolder = {});
QString FncStr_ShellResultText(int code);
bool FncBln_ShellOpen(QWindow *owner, const QString &path);

// Process helpers; a "handle" here is the process id when the process exists, else 0.
qint64 FncLng_OpenProcess(qint64 processId);
void Sub_TerminateProcess(qint64 processId);
