// The palette program's start-up services: one instance per program file, and the folder
// of the setting files.
#include "local_connection.h"
#include "settings_location.h"
#include "single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <future>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

class tst_ProgramServices : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void serverNameFollowsTheProgramFile();
    void requestsReachTheFirstInstance();
    void startsWaitForAClaimedName();
    void staleSocketIsReplaced();
    void onlyTheUserMayConnect();
    void connectionDeliversEverything();
    void callsAreAnswered_data();
    void callsAreAnswered();
    void remoteRequestRoundTrip_data();
    void remoteRequestRoundTrip();
    void settingFolder_data();
    void settingFolder();

private:
    QString m_program;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_ProgramServices::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A program path of our own, so that no real palette is disturbed.
    m_program = m_dir->filePath(u"Quorvel"_s);
}

void tst_ProgramServices::serverNameFollowsTheProgramFile()
{
    const QString name = SingleInstance::serverName(m_program);
    QCOMPARE(SingleInstance::serverName(m_dir->path() + u"/./Quorvel"_s), name);
    QVERIFY(SingleInstance::serverName(m_dir->filePath(u"QuorvelMate"_s)) != name);
    // Unix socket paths are short.
    QVERIFY(QDir(QDir::tempPath()).filePath(name).size() < 100);
}

void tst_ProgramServices::requestsReachTheFirstInstance()
{
    QVERIFY(!SingleInstance::sendRequest(m_program, "raise", 200));

    SingleInstance first(m_program);
    QVERIFY(first.tryListen());
    QSignalSpy spy(&first, &SingleInstance::requestReceived);
    // The refused start's probe is no request.
    SingleInstance second(m_program);
    QVERIFY(!second.tryListen());
    // Another program file is another instance.
    SingleInstance other(m_dir->filePath(u"QuorvelMate"_s));
    QVERIFY(other.tryListen());
    QVERIFY(SingleInstance::sendRequest(m_program, "raise"));
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("raise"));
    QTest::qWait(100);
    QCOMPARE(spy.size(), 1);
}

void tst_ProgramServices::startsWaitForAClaimedName()
{
    // A palette claims its name before its window and listens after it: a later start and a
    // request sent meanwhile must find it, not a name nobody answers on.
    SingleInstance first(m_program);
    QVERIFY(first.tryClaim());
    QSignalSpy spy(&first, &SingleInstance::requestReceived);
    auto second = std::async(std::launch::async, [this] {
        SingleInstance instance(m_program);
        return instance.tryListen();
    });
    auto request = std::async(std::launch::async, [this] {
        return SingleInstance::sendRequest(m_program, "raise", 1000);
    });
    QTest::qWait(200);
    QCOMPARE(second.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    first.listen();
    QTRY_VERIFY(second.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY(!second.get());
    QTRY_VERIFY(request.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY(request.get());
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("raise"));
}

void tst_ProgramServices::staleSocketIsReplaced()
{
#ifdef Q_OS_UNIX
    // What a crashed instance leaves behind: a socket file nobody listens on.
    const QByteArray path =
        QFile::encodeName(QDir(QDir::tempPath()).filePath(SingleInstance::serverName(m_program)));
    QFile::remove(QString::fromLocal8Bit(path));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(size_t(path.size()) < sizeof(address.sun_path));
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));

    SingleInstance instance(m_program);
    QVERIFY(instance.tryListen());
    QVERIFY(SingleInstance::sendRequest(m_program, "x"));
#else
    QSKIP("stale sockets are a Unix matter");
#endif
}

void tst_ProgramServices::onlyTheUserMayConnect()
{
    SingleInstance instance(m_program);
    QVERIFY(instance.tryListen());
    const QFileInfo socket(QDir(QDir::tempPath()).filePath(SingleInstance::serverName(m_program)));
    QVERIFY(socket.exists());
    QCOMPARE(socket.permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
}

void tst_ProgramServices::connectionDeliversEverything()
{
    // More than a socket buffer holds: the rest goes out as the peer reads, and the
    // connection closes only after the last byte.
    int ends[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
    auto connection = std::make_unique<LocalConnection>(ends[0]);
    QSignalSpy closed(connection.get(), &LocalConnection::disconnected);
    QByteArray sent(4 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < sent.size(); ++i)
        sent[i] = char(i * 7 + i / 4096);
    connection->write(sent);
    connection->disconnectFromPeer();
    QVERIFY(!connection->isConnected());
    QCOMPARE(closed.size(), 0);

    QByteArray received;
    char chunk[65536];
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            ssize_t n;
            while ((n = ::recv(ends[1], chunk, sizeof chunk, 0)) > 0)
                received.append(chunk, n);
            return n == 0;
        }(),
        10000);
    QCOMPARE(received.size(), sent.size());
    QVERIFY(received == sent);
    QCOMPARE(closed.size(), 1);
    ::close(ends[1]);

    // What the peer sends before it goes arrives, then the connection says so.
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
    connection = std::make_unique<LocalConnection>(ends[0]);
    QSignalSpy ended(connection.get(), &LocalConnection::disconnected);
    QCOMPARE(::send(ends[1], "activate", 8, MSG_NOSIGNAL), 8);
    ::close(ends[1]);
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(connection->readAll(), QByteArray("activate"));
}

void tst_ProgramServices::callsAreAnswered_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("answerAfterMs"); // -1: never
    QTest::addColumn<bool>("reached");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("answered later") << true << 100 << true << QByteArray("re:run 1/2");
    QTest::newRow("never answered") << true << -1 << true << QByteArray();
    QTest::newRow("no instance") << false << 0 << false << QByteArray();
}

void tst_ProgramServices::callsAreAnswered()
{
    QFETCH(bool, listening);
    QFETCH(int, answerAfterMs);
    QFETCH(bool, reached);
    QFETCH(QByteArray, answer);

    SingleInstance first(m_program);
    if (listening)
        QVERIFY(first.tryListen());
    QSignalSpy plain(&first, &SingleInstance::requestReceived);
    QSignalSpy calls(&first, &SingleInstance::callReceived);
    connect(&first, &SingleInstance::callReceived, this,
            [answerAfterMs](const QByteArray &payload, const InstanceReply &reply) {
                if (answerAfterMs >= 0)
                    QTimer::singleShot(answerAfterMs,
                                       [reply, payload] { reply.send("re:" + payload); });
            });

    // The caller blocks; the instance answers from this thread's event loop.
    auto call = std::async(std::launch::async, [this] {
        return SingleInstance::call(m_program, "run 1/2", 500, 1000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(call.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             5000);
    const SingleInstance::CallResult result = call.get();
    QCOMPARE(result.reached, reached);
    QCOMPARE(result.answer.has_value(), !answer.isEmpty());
    if (result.answer)
        QCOMPARE(*result.answer, answer);
    QCOMPARE(calls.size(), listening ? 1 : 0);
    // A call is no one-way request, and one-way requests still arrive as before.
    QTest::qWait(50);
    QCOMPARE(plain.size(), 0);
    if (listening) {
        QVERIFY(SingleInstance::sendRequest(m_program, "activate"));
        QTRY_COMPARE(plain.size(), 1);
        QCOMPARE(calls.size(), 1);
    }
}

void tst_ProgramServices::remoteRequestRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");

    RemoteRequest run;
    run.item = u"設定/タブ\n\"x\""_s;
    run.append = true;
    QTest::newRow("run") << run.encode() << true;
    RemoteRequest undo;
    undo.action = RemoteRequest::Action::Undo;
    QTest::newRow("undo") << undo.encode() << true;
    QTest::newRow("not json") << QByteArray("run x") << false;
    QTest::newRow("unknown action") << QByteArray(R"({"action":"format"})") << false;
    QTest::newRow("run without item") << QByteArray(R"({"action":"run"})") << false;
}

void tst_ProgramServices::remoteRequestRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const std::optional<RemoteRequest> request = RemoteRequest::decode(bytes);
    QCOMPARE(request.has_value(), valid);
    if (request)
        QCOMPARE(request->encode(), bytes);
}

void tst_ProgramServices::settingFolder_data()
{
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("exists");

    // Paths are relative to a fresh folder; "config" stands for the user's configuration.
    QTest::newRow("writable program folder") << u""_s << u"bin"_s << true << u"bin"_s << true;
    QTest::newRow("override wins") << u"mine"_s << u"bin"_s << true << u"mine"_s << true;
    QTest::newRow("override not created for readers")
        << u"mine"_s << u"bin"_s << false << u"mine"_s << false;
    QTest::newRow("unwritable program folder")
        << u""_s << u"file/bin"_s << true << u"config/Quorvel"_s << true;
    QTest::newRow("unwritable program folder, reader")
        << u""_s << u"file/bin"_s << false << u"config/Quorvel"_s << false;
    // Installed programs: the folder beside them is never used, even by root.
#ifdef Q_OS_UNIX
    QTest::newRow("system prefix") << u""_s << u"/usr/bin"_s << true << u"config/Quorvel"_s << true;
    QTest::newRow("local prefix") << u""_s << u"/usr/local/bin"_s << true << u"config/Quorvel"_s
                                  << true;
    QTest::newRow("optional software")
        << u""_s << u"/opt/quorvel/bin"_s << true << u"config/Quorvel"_s << true;
    QTest::newRow("link to a system folder")
        << u""_s << u"usr-link"_s << true << u"config/Quorvel"_s << true;
    QTest::newRow("override beats an installed folder")
        << u"mine"_s << u"/usr/bin"_s << true << u"mine"_s << true;
#endif
    QTest::newRow("installed in the user's prefix")
        << u""_s << u"prefix/bin"_s << true << u"config/Quorvel"_s << true;
}

void tst_ProgramServices::settingFolder()
{
    QFETCH(QString, override);
    QFETCH(QString, program);
    QFETCH(bool, create);
    QFETCH(QString, expected);
    QFETCH(bool, exists);

    const QDir base(m_dir->path());
    QVERIFY(base.mkpath(u"bin"_s));
    // A regular file: nothing can be created below it, not even by root.
    QFile file(base.filePath(u"file"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    // What an install into a prefix of the user's own leaves beside the program.
    QVERIFY(base.mkpath(u"prefix/bin"_s));
    QVERIFY(base.mkpath(u"prefix/share/applications"_s));
    QFile entry(base.filePath(u"prefix/share/applications/" QUORVEL_APP_ID ".desktop"_s));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.close();
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(u"/usr/bin"_s, base.filePath(u"usr-link"_s)));
#endif
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base.filePath(u"config"_s)));

    const QString overrideFolder =
        override.trimmed().isEmpty() ? override : base.filePath(override);
    const QString programFolder = base.filePath(program);
    const QString folder = FncStr_SettingFolder(overrideFolder, programFolder, create);
    QCOMPARE(folder, QDir::cleanPath(base.filePath(expected)));
    QCOMPARE(QFileInfo(folder).isDir(), exists);
    // The writability probe leaves nothing behind.
    QCOMPARE(QDir(base.filePath(u"bin"_s))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(
        QDir(programFolder).entryList({u".quorvel-probe-*"_s}, QDir::AllEntries | QDir::Hidden),
        QStringList());
}

QTEST_GUILESS_MAIN(tst_ProgramServices)
#include "tst_programservices.moc"
