#include "remote_request.h"

#include "local_connection.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A run may take as long as a pattern's time limit; a call's payload is a few words.
constexpr qsizetype kMaxPayload = 64 * 1024;
constexpr int kMaxHeader = 32;

const QString kAction = QStringLiteral("action");
const QString kItem = QStringLiteral("item");
const QString kAppend = QStringLiteral("append");
const QString kStatus = QStringLiteral("status");
const QString kMessage = QStringLiteral("message");

QByteArray frame(const QByteArray &kind, const QByteArray &payload)
{
    return kind + ' ' + QByteArray::number(payload.size()) + '\n' + payload;
}

std::optional<QJsonObject> objectOf(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

namespace InstanceCallFrame {

QByteArray call(const QByteArray &payload)
{
    return frame("CALL", payload);
}

QByteArray reply(const QByteArray &payload)
{
    return frame("REPLY", payload);
}

bool looksLikeCall(const QByteArray &buffer)
{
    const QByteArray prefix("CALL ");
    return buffer.startsWith(prefix.left(qMin(buffer.size(), prefix.size())));
}

std::optional<QByteArray> take(const QByteArray &buffer, const QByteArray &kind, bool &malformed)
{
    malformed = false;
    const qsizetype newline = buffer.indexOf('\n');
    if (newline < 0) {
        malformed = buffer.size() > kMaxHeader;
        return std::nullopt;
    }
    const QByteArray header = buffer.left(newline);
    bool ok = false;
    const qsizetype length =
        header.startsWith(kind + ' ') ? header.mid(kind.size() + 1).toLongLong(&ok) : qsizetype(-1);
    if (!ok || length < 0 || length > kMaxPayload) {
        malformed = true;
        return std::nullopt;
    }
    const qsizetype available = buffer.size() - newline - 1;
    if (available < length)
        return std::nullopt;
    if (available > length) {
        malformed = true;
        return std::nullopt;
    }
    return buffer.mid(newline + 1);
}

} // namespace InstanceCallFrame

InstanceReply::InstanceReply(LocalConnection *connection)
    : m_connection(connection)
{
}

void InstanceReply::send(const QByteArray &payload) const
{
    if (m_connection.isNull() || !m_connection->isConnected())
        return;
    m_connection->write(InstanceCallFrame::reply(payload));
    // Closes once the answer is written; the connection deletes itself on disconnection.
    m_connection->disconnectFromPeer();
}

QByteArray RemoteRequest::encode() const
{
    QJsonObject object;
    object.insert(kAction, action == Action::Undo ? QStringLiteral("undo") : QStringLiteral("run"));
    if (action == Action::Run) {
        object.insert(kItem, item);
        object.insert(kAppend, append);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<RemoteRequest> RemoteRequest::decode(const QByteArray &bytes)
{
    const std::optional<QJsonObject> object = objectOf(bytes);
    if (!object)
        return std::nullopt;
    RemoteRequest request;
    const QString action = object->value(kAction).toString();
    if (action == QStringLiteral("undo")) {
        request.action = Action::Undo;
        return request;
    }
    if (action != QStringLiteral("run") || !object->value(kItem).isString())
        return std::nullopt;
    request.item = object->value(kItem).toString();
    request.append = object->value(kAppend).toBool();
    return request;
}

QByteArray RemoteReply::encode() const
{
    QJsonObject object;
    object.insert(kStatus, status);
    object.insert(kMessage, message);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<RemoteReply> RemoteReply::decode(const QByteArray &bytes)
{
    const std::optional<QJsonObject> object = objectOf(bytes);
    if (!object || !object->value(kStatus).isDouble())
        return std::nullopt;
    return RemoteReply{object->value(kStatus).toInt(), object->value(kMessage).toString()};
}
