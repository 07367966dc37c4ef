// Requests that a later start of a program hands to its running instance and waits to
// have answered (Quorvel --run), and how they travel over the single-instance channel.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <optional>

class LocalConnection;

// The framing of a call, so that the running instance can tell a call that awaits an
// answer from a plain one-way request (which ends when the sender disconnects).
namespace InstanceCallFrame {

QByteArray call(const QByteArray &payload);
QByteArray reply(const QByteArray &payload);
// True when buffer starts like a call (it may still be incomplete).
bool looksLikeCall(const QByteArray &buffer);
// The payload once the buffer holds a whole frame of the given kind ("CALL" or
// "REPLY"); sets malformed when the buffer can never become one.
std::optional<QByteArray> take(const QByteArray &buffer, const QByteArray &kind, bool &malformed);

} // namespace InstanceCallFrame

// The way back to the caller of one call; the caller may have given up meanwhile, then
// the answer goes nowhere.
class InstanceReply final
{
public:
    InstanceReply() = default;
    explicit InstanceReply(LocalConnection *connection);

    void send(const QByteArray &payload) const;

private:
    QPointer<LocalConnection> m_connection;
};

// What Quorvel --run asks of the running palette.
struct RemoteRequest
{
    enum class Action
    {
        Run,
        Undo
    };
    Action action = Action::Run;
    QString item; // "frame title/item name" or "n/m"
    bool append = false;

    QByteArray encode() const;
    static std::optional<RemoteRequest> decode(const QByteArray &bytes);
};

// The palette's answer: the exit status for the caller and a line for its standard error.
struct RemoteReply
{
    int status = 0;
    QString message;

    QByteArray encode() const;
    static std::optional<RemoteReply> decode(const QByteArray &bytes);
};
