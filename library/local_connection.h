// One accepted connection of a Unix-domain socket: reads as data arrives, writes without
// blocking, and tells when the peer has gone. The programs' request channel needs no more,
// and keeps the network library (and what it loads) out of every start.
#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

class LocalConnection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocalConnection)

public:
    // Takes over a connected, non-blocking socket.
    explicit LocalConnection(int descriptor, QObject *parent = nullptr);
    ~LocalConnection() override;

    bool isConnected() const { return m_descriptor >= 0 && !m_closing; }
    // What has arrived and not been taken yet.
    QByteArray readAll();
    // Queued, then sent as the peer takes it.
    void write(const QByteArray &data);
    // Closes once everything queued has been sent.
    void disconnectFromPeer();
    // Closes now, dropping what is queued.
    void abort();

    // Appends what a non-blocking socket holds now; false once the peer has closed or the
    // socket failed (after appending what came before).
    static bool receiveAvailable(int descriptor, QByteArray &into);

signals:
    void readyRead();
    // Once, when the connection has closed from either side.
    void disconnected();

private:
    void onReadable();
    void flush();
    void close();

    int m_descriptor;
    QSocketNotifier *m_readable = nullptr; // children of this
    QSocketNotifier *m_writable = nullptr;
    QByteArray m_received;
    QByteArray m_queued;
    bool m_closing = false;
};
