// Times item edits over 10 MB of text through the palette's path (Cls_MySettingFile),
// the trailing-spaces pattern that must stay linear, a lookbehind-heavy pattern on the
// backtracking matcher, the same work in node when it is installed, and a 100 MB run
// with the peak memory it needed.
// Usage: bench_regexp [--no-node] [--no-100mb] [--only KEY] [--units N]
#include "ecma_regexp.h"
#include "setting_model.h"

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

// Length and a checksum: equal texts give equal checks, in node as here.
QString checkOf(const QString &text)
{
    quint64 sum = 0;
    for (const QChar c : text)
        sum = (sum * 31 + c.unicode()) % 1'000'000'007u;
    return QStringLiteral("%1/%2").arg(text.size()).arg(sum);
}

Timing best(int runs, const std::function<QString()> &work)
{
    Timing t{1e300, {}};
    QString result;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        result = work();
        t.ms = std::min(t.ms, timer.nsecsElapsed() / 1e6);
    }
    t.check = checkOf(result);
    return t;
}

// One edit item run as a click on it runs it.
QString runItem(const QString &pattern, const QString &replacement, const QString &text)
{
    Cls_MySettingFile model;
    model.SetCurrentFrame(
        u"<Title>f</Title>\r\n<Item1><Name>n</Name><Reg>%1</Reg><Replace>%2</Replace></Item1>\r\n"_qs
            .arg(pattern, replacement));
    QString output = model.DataGet(0, text);
    if (model.LastPatternError().isSet())
        return u"error: "_qs + model.LastPatternError().message;
    return output;
}

QString replaceAll(const QString &pattern, const QString &text, const QString &replacement)
{
    EcmaRegExp re(pattern);
    const std::optional<QString> result = re.replaceAll(text, replacement);
    return result ? *result : u"error: "_qs + re.error().message;
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

QJsonObject runNode(const QString &text, const QString &lookbehindText)
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
    QFile lookbehindFile(dir.filePath(u"lookbehind.txt"_qs));
    if (!lookbehindFile.open(QIODevice::WriteOnly))
        return {};
    lookbehindFile.write(lookbehindText.toUtf8());
    lookbehindFile.close();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(node, {QStringLiteral(QUORVEL_SOURCE_DIR "/bench/bench_regexp.js"),
                         file.fileName(), lookbehindFile.fileName()});
    if (!process.waitForFinished(600'000) || process.exitCode() != 0)
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

    // "--units N" shortens the text, so that a run under callgrind stays within the deadline.
    const qsizetype unitsAt = args.indexOf(u"--units"_qs);
    const qsizetype units = unitsAt >= 0 && unitsAt + 1 < args.size()
                                ? qMax(qsizetype(1), args[unitsAt + 1].toLongLong())
                                : 10 * 1000 * 1000;
    const QString text = makeText(units);
    std::printf("%.1f MB text (%lld code units), best of 3 runs\n", double(units) / 1e6,
                qlonglong(text.size()));

    struct Work
    {
        const char *key;
        const char *label;
        std::function<QString()> run;
    };
    const QString spaces30k = QString(30'000, u' ') + u'x';
    const QString spaces100k = QString(100'000, u' ') + u'x';
    const QString lookbehindText = text.left(1000 * 1000);
    const QList<Work> works = {
        {"tab", "TAB -> \",\"", [&] { return runItem(u"\\t"_qs, u","_qs, text); }},
        {"blanks", "remove [\\r\\t ]", [&] { return runItem(u"[\\r\\t ]"_qs, {}, text); }},
        {"upper", "[a-z]+ /UpperCase",
         [&] { return runItem(u"[a-z]+"_qs, u"/UpperCase"_qs, text); }},
        {"wide", "\".\" /Wide", [&] { return runItem(u"."_qs, u"/Wide"_qs, text); }},
        {"swap", "(\\w+)\\t(\\w+) swap",
         [&] { return runItem(u"(\\w+)\\t(\\w+)"_qs, u"$2\t$1"_qs, text); }},
        {"spaces30k", "(\\s+)$ 30,000", [&] { return replaceAll(u"(\\s+)$"_qs, spaces30k, {}); }},
        {"spaces100k", "(\\s+)$ 100,000",
         [&] { return replaceAll(u"(\\s+)$"_qs, spaces100k, {}); }},
        {"lookbehind", "(?<=\\d+)[\\t ] 1 MB",
         [&] { return replaceAll(u"(?<=\\d+)[\\t ]"_qs, lookbehindText, u"|"_qs); }},
        {"lookbehindCapture", "(?<=(\\w+)\\t)\\d+ 1 MB",
         [&] { return replaceAll(u"(?<=(\\w+)\\t)\\d+"_qs, lookbehindText, u"<$1>"_qs); }},
    };
    // Targets: item edits at most 0.3x node, "(\s+)$" no slower than node, the
    // backtracking matcher at most 2x.
    const QList<double> targets = {0.3, 0.3, 0.3, 0.3, 0.3, 1.0, 1.0, 2.0, 2.0};
    // "--only KEY" times one work alone (for a profiler).
    const qsizetype only = args.indexOf(u"--only"_qs);
    if (only >= 0 && only + 1 < args.size()) {
        for (const Work &work : works) {
            if (args[only + 1] == QLatin1String(work.key)) {
                const Timing t = best(3, work.run);
                std::printf("%s: %.1f ms %s\n", work.label, t.ms, qPrintable(t.check));
            }
        }
        return 0;
    }
    QList<Timing> ours;
    for (const Work &work : works)
        ours << best(work.key == QByteArray("spaces100k") ? 1 : 3, work.run);

    const QJsonObject node = withNode ? runNode(text, lookbehindText) : QJsonObject();
    std::printf("%-24s %10s %10s %8s %7s  %s\n", "work", "here ms", "node ms", "ratio", "target",
                "result");
    for (qsizetype i = 0; i < works.size(); ++i) {
        const QJsonObject reference = node.value(QLatin1String(works[i].key)).toObject();
        if (reference.isEmpty()) {
            std::printf("%-24s %10.1f %10s %8s %6.1fx  %s\n", works[i].label, ours[i].ms, "-", "-",
                        targets[i], qPrintable(ours[i].check));
            continue;
        }
        const double nodeMs = reference.value(u"ms").toDouble();
        const QString nodeCheck = reference.value(u"check").toVariant().toString();
        const double ratio = ours[i].ms / nodeMs;
        std::printf("%-24s %10.1f %10.1f %7.2fx %6.1fx  %s%s\n", works[i].label, ours[i].ms, nodeMs,
                    ratio, targets[i],
                    qPrintable(nodeCheck == ours[i].check
                                   ? ours[i].check + u" (same as node)"_qs
                                   : ours[i].check + u" MISMATCH node "_qs + nodeCheck),
                    ratio <= targets[i] ? "" : "  ABOVE TARGET");
    }
    if (withNode && node.isEmpty())
        std::printf("node not available: no comparison\n");

    // A runaway pattern must fail about as fast on the backtracking matcher as on PCRE2.
    const QString runaway = QString(30, u'a') + u'b';
    for (const QString &pattern : {u"(a|a)+$"_qs, u"(?<=x?)(a|a)+$"_qs}) {
        QElapsedTimer timer;
        timer.start();
        const QString outcome = replaceAll(pattern, runaway, u"x"_qs);
        std::printf("%-24s %10.1f ms  %s\n", qPrintable(pattern), timer.nsecsElapsed() / 1e6,
                    qPrintable(outcome.left(60)));
    }

    if (with100MB) {
        const qint64 before = peakMemoryKiB();
        QString big;
        big.reserve(10 * text.size());
        for (int i = 0; i < 10; ++i)
            big += text;
        std::printf("\n100 MB text (%lld code units, %lld MB in memory); peak before: %lld MB\n",
                    qlonglong(big.size()), qlonglong(big.size() * 2 / 1000000),
                    before < 0 ? -1 : before / 1024);
        const Timing tab = best(1, [&] { return replaceAll(u"\t"_qs, big, u","_qs); });
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
