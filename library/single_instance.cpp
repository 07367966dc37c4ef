#include "single_instance.h"

#include "local_connection.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <memory>

#ifndef Q_OS_UNIX
#error "The request channel speaks Unix-domain sockets"
#endif

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

QString startLockPath(const QString &serverName)
{
    return QDir(QDir::tempPath()).filePath(serverName + QStringLiteral(".lock"));
}

// The socket's address, where the path fits.
bool socketAddress(const QString &serverName, sockaddr_un &address)
{
    const QByteArray path = QFile::encodeName(QDir(QDir::tempPath()).filePath(serverName));
    address = {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// Waits until the socket is ready for events; false when the deadline passed first.
bool waitFor(int descriptor, short events, const QDeadlineTimer &deadline)
{
    while (true) {
        pollfd entry{descriptor, events, 0};
        const int rc = ::poll(&entry, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

// A client's end of the channel: closed with the object.
class ClientSocket final
{
    Q_DISABLE_COPY_MOVE(ClientSocket)

public:
    // Connects to the instance listening on the name; isConnected() tells whether it did.
    ClientSocket(const QString &serverName, int timeoutMs)
    {
        sockaddr_un address;
        if (!socketAddress(serverName, address))
            return;
        m_descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_descriptor < 0)
            return;
        int rc;
        do {
            rc = ::connect(m_descriptor, reinterpret_cast<const sockaddr *>(&address),
                           sizeof address);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            m_connected = true;
            return;
        }
        // A full backlog: the instance is busy, not gone.
        if (errno != EAGAIN && errno != EINPROGRESS)
            return;
        const QDeadlineTimer deadline(timeoutMs);
        int error = 0;
        socklen_t length = sizeof error;
        m_connected = waitFor(m_descriptor, POLLOUT, deadline) &&
                      ::getsockopt(m_descriptor, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
                      error == 0;
    }
    ~ClientSocket()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    bool isConnected() const { return m_connected; }

    bool writeAll(QByteArrayView data, const QDeadlineTimer &deadline)
    {
        while (!data.isEmpty()) {
            const ssize_t n = ::send(m_descriptor, data.data(), size_t(data.size()), MSG_NOSIGNAL);
            if (n > 0) {
                data = data.sliced(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                waitFor(m_descriptor, POLLOUT, deadline))
                continue;
            return false;
        }
        return true;
    }

    // What arrives before the deadline, appended; false once the peer has closed (after
    // what it sent last) or the deadline passed without data.
    bool read(QByteArray &buffer, const QDeadlineTimer &deadline)
    {
        return waitFor(m_descriptor, POLLIN, deadline) &&
               LocalConnection::receiveAvailable(m_descriptor, buffer);
    }

private:
    int m_descriptor = -1;
    bool m_connected = false;
};

bool instanceAnswers(const QString &serverName)
{
    return ClientSocket(serverName, kProbeTimeoutMs).isConnected();
}

// Only the user's own programs may talk to the instance, whatever the socket file allows.
bool peerIsThisUser(int descriptor)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

} // namespace

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

SingleInstance::~SingleInstance()
{
    if (m_listening < 0)
        return;
    delete m_notifier;
    ::close(m_listening);
    sockaddr_un address;
    if (socketAddress(m_serverName, address))
        ::unlink(address.sun_path);
}

QString SingleInstance::serverName(const QString &programPath)
{
    QFileInfo info(programPath);
    QString path = info.canonicalFilePath();
    if (path.isEmpty()) {
        path = info.absoluteFilePath();
    }
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
    if (m_listened || m_startLock)
        return true;
    // Two starts at the same moment must not both decide that the name is free. Without
    // the lock (a start hanging elsewhere) the probe below still decides.
    auto lock = std::make_unique<StartLock>(startLockPath(m_serverName));

    // Listening replaces the socket file: only a name nobody answers on may be taken.
    if (instanceAnswers(m_serverName))
        return false;
    m_startLock = std::move(lock);
    return true;
}

void SingleInstance::listen()
{
    if (m_listened || !m_startLock)
        return;
    m_listened = true;
    const auto unavailable = [this](const char *step) {
        // No channel at all (for example no writable socket folder): running without it
        // beats refusing to start.
        qWarning("Single-instance channel unavailable: %s: %s", step, std::strerror(errno));
        if (m_listening >= 0)
            ::close(m_listening);
        m_listening = -1;
        m_startLock.reset();
    };
    sockaddr_un address;
    if (!socketAddress(m_serverName, address)) {
        errno = ENAMETOOLONG;
        return unavailable("socket path");
    }
    m_listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listening < 0)
        return unavailable("socket");
    // Whatever is left now is the socket of a crashed instance.
    ::unlink(address.sun_path);
    if (::bind(m_listening, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return unavailable("bind");
    ::chmod(address.sun_path, 0600);
    if (::listen(m_listening, 16) != 0)
        return unavailable("listen");
    m_notifier = new QSocketNotifier(m_listening, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::onNewConnection);
    m_startLock.reset();
}

bool SingleInstance::sendRequest(const QString &programPath, const QByteArray &request,
                                 int timeoutMs)
{
    const QString name = serverName(programPath);
    waitForStartInProgress(name);
    ClientSocket socket(name, timeoutMs);
    return socket.isConnected() && socket.writeAll(request, QDeadlineTimer(timeoutMs));
}

SingleInstance::CallResult SingleInstance::call(const QString &programPath,
                                                const QByteArray &payload, int connectTimeoutMs,
                                                int answerTimeoutMs)
{
    CallResult result;
    const QString name = serverName(programPath);
    waitForStartInProgress(name);
    ClientSocket socket(name, connectTimeoutMs);
    if (!socket.isConnected())
        return result;
    result.reached = true;
    const QDeadlineTimer deadline(answerTimeoutMs);
    if (!socket.writeAll(InstanceCallFrame::call(payload), deadline))
        return result;
    QByteArray buffer;
    while (true) {
        const bool open = socket.read(buffer, deadline);
        bool malformed = false;
        if (auto answer = InstanceCallFrame::take(buffer, "REPLY", malformed)) {
            result.answer = std::move(answer);
            break;
        }
        if (!open || malformed || deadline.hasExpired())
            break;
    }
    return result;
}

void SingleInstance::onNewConnection()
{
    while (true) {
        const int descriptor =
            ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        if (!peerIsThisUser(descriptor)) {
            ::close(descriptor);
            continue;
        }
        auto *socket = new LocalConnection(descriptor, this);
        auto buffer = std::make_shared<QByteArray>();
        auto called = std::make_shared<bool>(false);
        connect(socket, &LocalConnection::readyRead, socket, [this, socket, buffer, called] {
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
        connect(socket, &LocalConnection::disconnected, this, [this, socket, buffer, called] {
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
