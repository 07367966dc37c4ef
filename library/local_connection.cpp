#include "local_connection.h"

#include <QSocketNotifier>

#ifndef Q_OS_UNIX
#error "The request channel speaks Unix-domain sockets"
#endif

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

LocalConnection::LocalConnection(int descriptor, QObject *parent)
    : QObject(parent)
    , m_descriptor(descriptor)
{
    if (m_descriptor < 0)
        return;
    m_readable = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    m_writable = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_readable, &QSocketNotifier::activated, this, &LocalConnection::onReadable);
    connect(m_writable, &QSocketNotifier::activated, this, &LocalConnection::flush);
}

LocalConnection::~LocalConnection()
{
    delete m_readable;
    delete m_writable;
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QByteArray LocalConnection::readAll()
{
    return std::exchange(m_received, {});
}

void LocalConnection::write(const QByteArray &data)
{
    if (!isConnected())
        return;
    m_queued.append(data);
    flush();
}

void LocalConnection::disconnectFromPeer()
{
    if (m_descriptor < 0)
        return;
    m_closing = true;
    flush();
}

void LocalConnection::abort()
{
    m_queued.clear();
    close();
}

bool LocalConnection::receiveAvailable(int descriptor, QByteArray &into)
{
    char buffer[4096];
    while (true) {
        const ssize_t n = ::recv(descriptor, buffer, sizeof buffer, 0);
        if (n > 0) {
            into.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void LocalConnection::onReadable()
{
    if (m_descriptor < 0)
        return;
    const bool open = receiveAvailable(m_descriptor, m_received);
    if (!m_received.isEmpty())
        emit readyRead();
    // The receiver may have closed the connection meanwhile.
    if (!open)
        close();
}

void LocalConnection::flush()
{
    while (m_descriptor >= 0 && !m_queued.isEmpty()) {
        // A peer gone meanwhile is an error here, not a signal that ends the program.
        const ssize_t n =
            ::send(m_descriptor, m_queued.constData(), size_t(m_queued.size()), MSG_NOSIGNAL);
        if (n > 0) {
            m_queued.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writable->setEnabled(true);
            return;
        }
        close();
        return;
    }
    if (m_writable != nullptr)
        m_writable->setEnabled(false);
    if (m_closing)
        close();
}

void LocalConnection::close()
{
    if (m_descriptor < 0)
        return;
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    ::close(m_descriptor);
    m_descriptor = -1;
    emit disconnected();
}
