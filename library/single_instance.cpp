#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace {

// Requests are small (a command word); anything longer is not ours.
constexpr qint64 kMaxRequestSize = 64 * 1024;
constexpr int kProbeTimeoutMs = 500;
// How long a start waits for another start to finish its probe.
constexpr int kStartLockWaitMs = 3000;

QString userName()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) {
            return name;
        }
    }
    return QDir::homePath();
}

bool instanceAnswers(const QString &serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool answered = socket.waitForConnected(kProbeTimeoutMs);
    socket.abort();
    return answered;
}

} // namespace

#ifdef Q_OS_UNIX
// Held while a start probes and takes the name. The kernel drops the lock with its
// process, so no stale lock needs guessing, and the file is never written: no disk flush
// holds up every start.
class SingleInstance::StartLock final
{
    Q_DISABLE_COPY_MOVE(StartLock)

public:
    explicit StartLock(const QString &path)
        : m_descriptor(::open(QFile::encodeName(path).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        if (m_descriptor < 0)
            return;
        QElapsedTimer waited;
        waited.start();
        while (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0 &&
               (errno == EWOULDBLOCK || errno == EINTR) && waited.elapsed() < kStartLockWaitMs) {
            const timespec pause{0, 10'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    ~StartLock()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

private:
    int m_descriptor = -1;
};
#else
class SingleInstance::StartLock final
{
    Q_DISABLE_COPY_MOVE(StartLock)

public:
    explicit StartLock(const QString &path)
        : m_lock(path)
    {
        m_lock.setStaleLockTime(10000);
        m_lock.tryLock(kStartLockWaitMs);
    }

private:
    QLockFile m_lock;
};
#endif

namespace {

QString startLockPath(const QString &serverName)
{
    return QDir(QDir::tempPath()).filePath(serverName + QStringLiteral(".lock"));
}

} // namespace

// A start that has claimed the name but not yet listens holds the lock: waiting for it
// finds that instance instead of missing it.
void SingleInstance::waitForStartInProgress(const QString &serverName)
{
    const StartLock lock(startLockPath(serverName));
}

SingleInstance::SingleInstance(const QString &programPath, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName(programPath))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &programPath)
{
    QFileInfo info(programPath);
    QString path = info.canonicalFilePath();
    if (path.isEmpty()) {
        path = info.absoluteFilePath();
    }
#ifdef Q_OS_WIN
    path = path.toLower();
#endif
    const QByteArray key = (path + QChar(u'\n') + userName()).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    // Short enough for the socket path limit of Unix domain sockets.
    return QStringLiteral("quorvel-") + QString::fromLatin1(hash.left(32));
}

bool SingleInstance::tryListen()
{
    if (!tryClaim())
        return false;
    listen();
    return true;
}

bool SingleInstance::tryClaim()
{
    if (m_server != nullptr || m_startLock)
        return true;
    // Two starts at the same moment must not both decide that the name is free. Without
    // the lock (a start hanging elsewhere) the probe below still decides.
    auto lock = std::make_unique<StartLock>(startLockPath(m_serverName));

    // Probe before listening: with access options set, listen() replaces an existing
    // socket file instead of failing, and would steal the name from a running instance.
    if (instanceAnswers(m_serverName))
        return false;
    m_startLock = std::move(lock);
    return true;
}

void SingleInstance::listen()
{
    if (m_server != nullptr || !m_startLock)
        return;
    // Whatever is left now is the socket of a crashed instance.
    QLocalServer::removeServer(m_serverName);

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(m_serverName)) {
        // No channel at all (for example no writable socket folder): running without
        // it beats refusing to start.
        qWarning("Single-instance channel unavailable: %s", qPrintable(m_server->errorString()));
    }
    m_startLock.reset();
}

bool SingleInstance::sendRequest(const QString &programPath, const QByteArray &request,
                                 int timeoutMs)
{
    const QString name = serverName(programPath);
    waitForStartInProgress(name);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(request);
    bool written = true;
    while (written && socket.bytesToWrite() > 0) {
        written = socket.waitForBytesWritten(timeoutMs);
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(timeoutMs);
    }
    return written;
}

SingleInstance::CallResult SingleInstance::call(const QString &programPath,
                                                const QByteArray &payload, int connectTimeoutMs,
                                                int answerTimeoutMs)
{
    CallResult result;
    const QString name = serverName(programPath);
    waitForStartInProgress(name);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return result;
    result.reached = true;
    socket.write(InstanceCallFrame::call(payload));
    QElapsedTimer elapsed;
    elapsed.start();
    QByteArray buffer;
    while (true) {
        bool malformed = false;
        if (auto answer = InstanceCallFrame::take(buffer, "REPLY", malformed)) {
            result.answer = std::move(answer);
            break;
        }
        const qint64 left = answerTimeoutMs - elapsed.elapsed();
        if (malformed || left <= 0 || socket.state() != QLocalSocket::ConnectedState)
            break;
        if (socket.bytesToWrite() > 0)
            socket.waitForBytesWritten(int(left));
        else
            socket.waitForReadyRead(int(left));
        // Also what arrived together with a disconnection.
        buffer.append(socket.readAll());
    }
    socket.abort();
    return result;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        auto called = std::make_shared<bool>(false);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer, called] {
            if (*called) {
                // Nothing may follow a call.
                socket->readAll();
                return;
            }
            buffer->append(socket->readAll());
            if (buffer->size() > kMaxRequestSize) {
                buffer->clear();
                socket->abort();
                return;
            }
            if (!InstanceCallFrame::looksLikeCall(*buffer))
                return;
            bool malformed = false;
            if (const auto payload = InstanceCallFrame::take(*buffer, "CALL", malformed)) {
                *called = true;
                buffer->clear();
                emit callReceived(*payload, InstanceReply(socket));
            } else if (malformed) {
                buffer->clear();
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer, called] {
            if (!*called)
                buffer->append(socket->readAll());
            socket->deleteLater();
            // Start-up probes connect without a request; a call is answered, not repeated.
            if (!*called && !buffer->isEmpty() && buffer->size() <= kMaxRequestSize &&
                !InstanceCallFrame::looksLikeCall(*buffer)) {
                emit requestReceived(*buffer);
            }
        });
    }
}
