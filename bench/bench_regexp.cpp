// Times EcmaRegExp on typical clipboard edits over 10 MB of text, the same work in
// node when it is installed, and a 100 MB run with the peak memory it needed.
// Usage: bench_regexp [--no-node] [--no-100mb]
#include "ecma_regexp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

QString makeText(qsizetype units)
{
    static const QStringList words = {u"alpha"_qs, u"beta"_qs,    u"Gamma"_qs,      u"delta"_qs,
                                      u"12345"_qs, u"x"_qs,       u"private"_qs,    u"東京都"_qs,
                                      u"ｶﾀｶﾅ"_qs,  u"quorvel"_qs, u"2007/01/20"_qs, u"Sub"_qs};
    static const QStringList separators = {u"\t"_qs, u" "_qs,    u" "_qs,
                                           u"\t"_qs, u"\r\n"_qs, u", "_qs};
    QRandomGenerator random(42);
    QString text;
    text.reserve(units + 16);
    while (text.size() < units) {
        text += words[int(random.bounded(int(words.size())))];
        text += separators[int(random.bounded(int(separators.size())))];
    }
    text.truncate(units);
    return text;
}

struct Timing
{
    double ms = 0;
    QString check; // what the work produced, to compare with node
};

Timing best(int runs, const std::function<QString()> &work)
{
    Timing t{1e300, {}};
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        t.check = work();
        t.ms = std::min(t.ms, timer.nsecsElapsed() / 1e6);
    }
    return t;
}

QString replaceLength(const QString &pattern, const QString &text, const QString &replacement)
{
    EcmaRegExp re(pattern);
    const std::optional<QString> result = re.replaceAll(text, replacement);
    return result ? QString::number(result->size()) : u"error: "_qs + re.error().message;
}

QString visit(const QString &pattern, const QString &text)
{
    EcmaRegExp re(pattern);
    qint64 count = 0, length = 0;
    const bool ok = re.forEachMatch(text, [&](qsizetype, qsizetype matched) {
        ++count;
        length += matched;
    });
    return ok ? QStringLiteral("%1/%2").arg(count).arg(length) : u"error: "_qs + re.error().message;
}

qint64 peakMemoryKiB()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QJsonObject runNode(const QString &text)
{
    const QString node = QStandardPaths::findExecutable(u"node"_qs);
    if (node.isEmpty())
        return {};
    QTemporaryDir dir;
    QFile file(dir.filePath(u"text.txt"_qs));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly))
        return {};
    file.write(text.toUtf8());
    file.close();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(node,
                  {QStringLiteral(QUORVEL_SOURCE_DIR "/bench/bench_regexp.js"), file.fileName()});
    if (!process.waitForFinished(300'000) || process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool withNode = !args.contains(u"--no-node"_qs);
    const bool with100MB = !args.contains(u"--no-100mb"_qs);

    const QString text = makeText(10 * 1000 * 1000);
    std::printf("10 MB text (%lld code units), best of 3 runs\n", qlonglong(text.size()));

    struct Work
    {
        const char *key;
        const char *label;
        std::function<QString()> run;
    };
    const QList<Work> works = {
        {"tab", "TAB -> \",\"", [&] { return replaceLength(u"\t"_qs, text, u","_qs); }},
        {"blanks", "remove [\\r\\t ]", [&] { return replaceLength(u"[\\r\\t ]"_qs, text, {}); }},
        {"words", "[a-z]+ visited", [&] { return visit(u"[a-z]+"_qs, text); }},
        {"dot", "\".\" visited", [&] { return visit(u"."_qs, text); }},
    };
    QList<Timing> ours;
    for (const Work &work : works)
        ours << best(3, work.run);

    const QJsonObject node = withNode ? runNode(text) : QJsonObject();
    std::printf("%-18s %10s %10s %8s  %s\n", "work", "here ms", "node ms", "ratio", "result");
    for (qsizetype i = 0; i < works.size(); ++i) {
        const QJsonObject reference = node.value(QLatin1String(works[i].key)).toObject();
        if (reference.isEmpty()) {
            std::printf("%-18s %10.1f %10s %8s  %s\n", works[i].label, ours[i].ms, "-", "-",
                        qPrintable(ours[i].check));
            continue;
        }
        const double nodeMs = reference.value(u"ms").toDouble();
        const QString nodeCheck = reference.value(u"check").toVariant().toString();
        std::printf("%-18s %10.1f %10.1f %7.2fx  %s\n", works[i].label, ours[i].ms, nodeMs,
                    ours[i].ms / nodeMs,
                    qPrintable(nodeCheck == ours[i].check
                                   ? ours[i].check + u" (same as node)"_qs
                                   : ours[i].check + u" MISMATCH node "_qs + nodeCheck));
    }
    if (withNode && node.isEmpty())
        std::printf("node not available: no comparison\n");

    if (with100MB) {
        const qint64 before = peakMemoryKiB();
        QString big;
        big.reserve(10 * text.size());
        for (int i = 0; i < 10; ++i)
            big += text;
        std::printf("\n100 MB text (%lld code units, %lld MB in memory); peak before: %lld MB\n",
                    qlonglong(big.size()), qlonglong(big.size() * 2 / 1000000),
                    before < 0 ? -1 : before / 1024);
        const Timing tab = best(1, [&] { return replaceLength(u"\t"_qs, big, u","_qs); });
        std::printf("%-18s %10.1f ms  %s  peak %lld MB\n", "TAB -> \",\"", tab.ms,
                    qPrintable(tab.check), peakMemoryKiB() / 1024);
        const Timing dot = best(1, [&] { return visit(u"."_qs, big); });
        std::printf("%-18s %10.1f ms  %s  peak %lld MB\n", "\".\" visited", dot.ms,
                    qPrintable(dot.check), peakMemoryKiB() / 1024);
        // One match over the whole text: the matcher must not recurse per character.
        const Timing all = best(1, [&] { return visit(u"[^]*"_qs, big); });
        std::printf("%-18s %10.1f ms  %s  peak %lld MB\n", "[^]* visited", all.ms,
                    qPrintable(all.check), peakMemoryKiB() / 1024);
    }
    return 0;
}
