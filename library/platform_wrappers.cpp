#include "platform_wrappers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>
#include <exception>
#include <limits>
#include <map>
#include <mutex>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

MessageBoxHandler &messageBoxHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

// The first button of each button set, which is what an unattended box answers.
int firstButton(int style)
{
    switch (style & 0x7) {
    case 2: // abort, retry, ignore
        return 3;
    case 3: // yes, no, cancel
    case MsgBox::YesNo:
        return MsgBox::Yes;
    case 5: // retry, cancel
        return 4;
    default:
        return MsgBox::Ok;
    }
}

constexpr int kShellFileNotFound = 2;
constexpr int kShellPathNotFound = 3;
constexpr int kShellNoAssociation = 31;
// Any value above 32 means success to callers; this is the one a plain open gives.
constexpr int kShellOpened = 42;

} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(messageBoxHandler());
    messageBoxHandler() = std::move(handler);
    return previous;
}

int FncInt_MessageBox(int style, const QString &prompt, const QString &title)
{
    // A copy, so that a handler which installs another one is not destroyed while it runs.
    const MessageBoxHandler handler = messageBoxHandler();
    if (handler)
        return handler(style, prompt, title);
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(title), qUtf8Printable(prompt));
    return firstButton(style);
}

bool FncBln_MessageBoxYesNo(int style, const QString &prompt, const QString &title)
{
    const int answer = FncInt_MessageBox(style, prompt, title);
    return answer == MsgBox::Ok || answer == MsgBox::Yes;
}

QString FncStr_ErrorText(const VbError &error)
{
    return QString::number(error.number) + u' ' + error.description + u'\r' + error.source;
}

void Sub_ShowError(const VbError &error)
{
    FncInt_MessageBox(MsgBox::Critical | MsgBox::OkOnly, FncStr_ErrorText(error),
                      QStringLiteral("VB Error"));
}

int FncInt_ShellOpenCode(const QString &path, const QString &workingFolder)
{
    if (path.trimmed().isEmpty())
        return kShellFileNotFound;
    // Without a working folder a relative path means the current one, not a web address.
    const QString folder = workingFolder.isEmpty() ? QDir::currentPath() : workingFolder;
    const QUrl url = QUrl::fromUserInput(path, folder, QUrl::AssumeLocalFile);
    if (!url.isValid())
        return kShellFileNotFound;
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        if (!info.exists())
            return QFileInfo(info.absolutePath()).isDir() ? kShellFileNotFound : kShellPathNotFound;
    }
    return QDesktopServices::openUrl(url) ? kShellOpened : kShellNoAssociation;
}

QString FncStr_ShellResultText(int code)
{
    if (code > 32)
        return {};
    switch (code) {
    case 2:
        return QStringLiteral("File not found");
    case 3:
        return QStringLiteral("Path not found");
    case 5:
        return QStringLiteral("Access denied");
    case 8:
        return QStringLiteral("Out of memory");
    case 11:
        return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26:
        return QStringLiteral("A sharing violation occurred");
    case 27:
        return QStringLiteral("Incomplete or invalid file association");
    case 28:
        return QStringLiteral("DDE Time out");
    case 29:
        return QStringLiteral("DDE transaction failed");
    case 30:
        return QStringLiteral("DDE busy");
    case 31:
        return QStringLiteral("No association for file extension");
    case 32:
        return QStringLiteral("DLL not found");
    default:
        return QStringLiteral("Unknown error");
    }
}

bool FncBln_ShellOpen(QWindow *owner, const QString &path)
{
    // The desktop services choose their own parent for whatever they start.
    Q_UNUSED(owner);
    try {
        const int code = FncInt_ShellOpenCode(path);
        if (code > 32)
            return true;
        FncInt_MessageBox(MsgBox::OkOnly, FncStr_ShellResultText(code),
                          QGuiApplication::applicationDisplayName());
        return false;
    } catch (const std::exception &e) {
        Sub_ShowError({VbErrorNo::InternalError, QString::fromLocal8Bit(e.what()),
                       QGuiApplication::applicationDisplayName()});
        return false;
    }
}

#ifdef Q_OS_WIN

qint64 FncLng_OpenProcess(qint64 processId)
{
    if (processId <= 0 || processId > std::numeric_limits<DWORD>::max())
        return 0;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, DWORD(processId));
    if (!process)
        return 0;
    CloseHandle(process);
    return processId;
}

void Sub_TerminateProcess(qint64 processId)
{
    if (processId <= 0 || processId > std::numeric_limits<DWORD>::max() ||
        DWORD(processId) == GetCurrentProcessId())
        return;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, DWORD(processId));
    if (!process)
        return;
    TerminateProcess(process, 0);
    CloseHandle(process);
}

#else

namespace {

// A pid can be reused once its process has ended. A process descriptor taken when the process
// was opened keeps naming that process, so a later terminate cannot hit a stranger.
std::mutex &descriptorMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<pid_t, int> &openDescriptors()
{
    static std::map<pid_t, int> descriptors;
    return descriptors;
}

int openProcessDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    errno = ENOSYS;
    return -1;
#endif
}

bool sendSignal(pid_t pid, int descriptor, int signal)
{
#ifdef SYS_pidfd_send_signal
    if (descriptor >= 0)
        return syscall(SYS_pidfd_send_signal, descriptor, signal, nullptr, 0) == 0;
#else
    Q_UNUSED(descriptor);
#endif
    return kill(pid, signal) == 0;
}

bool validProcessId(qint64 processId)
{
    return processId > 0 && processId <= std::numeric_limits<pid_t>::max();
}

// Waits up to timeoutMs for the process to end; true when it has.
bool waitForExit(pid_t pid, int descriptor, int timeoutMs)
{
    if (descriptor >= 0) {
        pollfd entry{descriptor, POLLIN, 0};
        int result;
        do {
            result = poll(&entry, 1, timeoutMs);
        } while (result < 0 && errno == EINTR);
        return result > 0;
    }
    constexpr int stepMs = 20;
    for (int waited = 0; waited < timeoutMs; waited += stepMs) {
        if (kill(pid, 0) != 0 && errno == ESRCH)
            return true;
        const timespec step{0, stepMs * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
    return kill(pid, 0) != 0 && errno == ESRCH;
}

constexpr int kTerminateWaitMs = 1000;

} // namespace

qint64 FncLng_OpenProcess(qint64 processId)
{
    if (!validProcessId(processId))
        return 0;
    const auto pid = pid_t(processId);
    // Only a process this user may signal counts, as only such a one could be terminated.
    if (kill(pid, 0) != 0)
        return 0;
    const int descriptor = openProcessDescriptor(pid);
    if (descriptor < 0)
        return errno == ESRCH ? 0 : processId;
    const std::lock_guard lock(descriptorMutex());
    auto &descriptors = openDescriptors();
    // Descriptors of processes that have ended by now are no longer needed.
    for (auto it = descriptors.begin(); it != descriptors.end();) {
        if (it->first == pid || waitForExit(it->first, it->second, 0)) {
            close(it->second);
            it = descriptors.erase(it);
        } else {
            ++it;
        }
    }
    descriptors[pid] = descriptor;
    return processId;
}

void Sub_TerminateProcess(qint64 processId)
{
    if (!validProcessId(processId) || processId == qint64(getpid()))
        return;
    const auto pid = pid_t(processId);
    int descriptor = -1;
    {
        const std::lock_guard lock(descriptorMutex());
        auto &descriptors = openDescriptors();
        if (const auto it = descriptors.find(pid); it != descriptors.end()) {
            descriptor = it->second;
            descriptors.erase(it);
        }
    }
    if (descriptor < 0) {
        descriptor = openProcessDescriptor(pid);
        if (descriptor < 0 && errno == ESRCH)
            return;
    }
    if (sendSignal(pid, descriptor, SIGTERM) && !waitForExit(pid, descriptor, kTerminateWaitMs))
        sendSignal(pid, descriptor, SIGKILL);
    if (descriptor >= 0)
        close(descriptor);
}

#endif

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}
