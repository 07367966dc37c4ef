// At most one running instance per program file and user, with a small request channel
// from later starts to the running one.
#pragma once

#include "remote_request.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSocketNotifier;

class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    explicit SingleInstance(const QString &programPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first instance (it now listens for requests).
    bool tryListen();
    // tryListen() in two steps, so that a window can be shown before the channel is set
    // up: after a successful claim, later starts and requests wait until listen().
    bool tryClaim();
    void listen();
    // Sends one request to the running instance; false when none answers in time.
    static bool sendRequest(const QString &programPath, const QByteArray &request,
                            int timeoutMs = 1000);

    // Sends one call and waits for its answer. reached tells whether an instance took
    // the call at all (false: none runs); the answer is empty when it gave none in time.
    struct CallResult
    {
        bool reached = false;
        std::optional<QByteArray> answer;
    };
    static CallResult call(const QString &programPath, const QByteArray &payload,
                           int connectTimeoutMs, int answerTimeoutMs);

    // The local server name for a program file: a hash of its absolute path and the user.
    static QString serverName(const QString &programPath);

signals:
    void requestReceived(const QByteArray &request);
    // A call awaiting an answer: the receiver answers through reply, now or later.
    void callReceived(const QByteArray &payload, const InstanceReply &reply);

private:
    class StartLock;

    static void waitForStartInProgress(const QString &serverName);
    void onNewConnection();

    QString m_serverName;
    std::unique_ptr<StartLock> m_startLock;
    int m_listening = -1;
    QSocketNotifier *m_notifier = nullptr; // child of this
    bool m_listened = false;
};
