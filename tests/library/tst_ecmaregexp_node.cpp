// Differential test: what a pattern means is what node's
// subject.replace(new RegExp(pattern, 'g'), replacement) makes of it.
#include "ecma_pattern_generator.h"
#include "ecma_regexp.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Case
{
    QString pattern;
    QString replacement;
    QString subject;
};

struct Outcome
{
    bool rejected = false;
    QString text; // the result, or node's error message
};

QString encode(const QString &text)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2).toBase64());
}

QString decode(const QString &base64)
{
    const QByteArray bytes = QByteArray::fromBase64(base64.toLatin1());
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

Outcome runEngine(const Case &c)
{
    EcmaRegExp re(c.pattern);
    if (!re.isValid())
        return {true, re.error().message};
    const std::optional<QString> result = re.replaceAll(c.subject, c.replacement);
    if (!result)
        return {true, QStringLiteral("runtime: ") + re.error().message};
    return {false, *result};
}

QString quote(const QString &text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString describe(const Case &c, const Outcome &node, const Outcome &ours)
{
    auto show = [](const Outcome &o) {
        return (o.rejected ? u"error "_qs : QString()) + quote(o.text);
    };
    return quote(c.pattern) + u" on "_qs + quote(c.subject) + u" with "_qs + quote(c.replacement) +
           u": node "_qs + show(node) + u", here "_qs + show(ours);
}

// Random strings of pattern syntax, from single characters and from the pieces that
// start or end the grammar's constructs: most of them are malformed in some way.
QString metacharacterSoup(QRandomGenerator &random)
{
    static const QString characters = u"()[]{}?*+|^$\\.-,0123abk<>=!:dDwWsSbBuxc"_qs;
    static const QStringList pieces = {
        u"(?<n>"_qs, u"(?<"_qs,   u"(?<="_qs,   u"(?<!"_qs,       u"(?="_qs,     u"(?!"_qs,
        u"(?:"_qs,   u"(?"_qs,    u"\\k<n>"_qs, u"\\k<"_qs,       u"{2,1}"_qs,   u"{1}"_qs,
        u"{1,}"_qs,  u"{,1}"_qs,  u"\\c"_qs,    u"\\u00"_qs,      u"\\u{41}"_qs, u"\\x4"_qs,
        u"[^"_qs,    u"[\\b-"_qs, u"\\1"_qs,    u"\\10"_qs,       u"\\0"_qs,     u"a-z"_qs,
        u"\\"_qs,    u"*?"_qs,    u"??"_qs,     u"(?<\\u0061>"_qs};
    QString s;
    const int length = 1 + int(random.bounded(12));
    for (int i = 0; i < length; ++i)
        if (random.bounded(3) == 0)
            s += pieces[int(random.bounded(int(pieces.size())))];
        else
            s += characters[int(random.bounded(int(characters.size())))];
    return s;
}

} // namespace

class tst_EcmaRegExpNode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { EcmaRegExp::setJitEnabled(true); }

    void corpusAgreesWithNode_data();
    void corpusAgreesWithNode();
    void randomPatternsAgreeWithNode_data();
    void randomPatternsAgreeWithNode();
    void malformedPatternsAreRejected();

private:
    bool runNode(const QList<Case> &cases, QList<Outcome> &outcomes);

    QString m_node;
    QMap<QString, QList<Case>> m_corpus; // by group
    QMap<QString, QList<Outcome>> m_corpusOutcomes;
    QMap<int, QList<Case>> m_random; // by generator flavour
    QMap<int, QList<Outcome>> m_randomOutcomes;
    QList<Case> m_soup;
    QList<Outcome> m_soupOutcomes;
};

bool tst_EcmaRegExpNode::runNode(const QList<Case> &cases, QList<Outcome> &outcomes)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    QJsonArray batch;
    for (const Case &c : cases)
        batch.append(QJsonArray{encode(c.pattern), encode(c.replacement), encode(c.subject)});
    QFile input(dir.filePath(u"in.json"_qs));
    if (!input.open(QIODevice::WriteOnly))
        return false;
    input.write(QJsonDocument(batch).toJson(QJsonDocument::Compact));
    input.close();

    QProcess node;
    node.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    node.start(m_node, {QStringLiteral(QUORVEL_SOURCE_DIR "/tests/library/ecmaregexp_reference.js"),
                        input.fileName(), dir.filePath(u"out.json"_qs)});
    if (!node.waitForFinished(120'000) || node.exitCode() != 0)
        return false;
    QFile output(dir.filePath(u"out.json"_qs));
    if (!output.open(QIODevice::ReadOnly))
        return false;
    const QJsonArray results = QJsonDocument::fromJson(output.readAll()).array();
    if (results.size() != cases.size())
        return false;
    outcomes.clear();
    for (const QJsonValue &value : results) {
        const QJsonObject object = value.toObject();
        if (object.contains(u"e"))
            outcomes.append({true, object.value(u"e").toString()});
        else
            outcomes.append({false, decode(object.value(u"r").toString())});
    }
    return true;
}

void tst_EcmaRegExpNode::initTestCase()
{
    m_node = QStandardPaths::findExecutable(u"node"_qs);
    if (m_node.isEmpty())
        QSKIP("node is not installed");

    QFile corpusFile(QStringLiteral(QUORVEL_SOURCE_DIR "/tests/library/ecmaregexp_corpus.json"));
    QVERIFY(corpusFile.open(QIODevice::ReadOnly));
    const QJsonArray groups = QJsonDocument::fromJson(corpusFile.readAll()).array();
    QVERIFY(!groups.isEmpty());
    QList<Case> all;
    for (const QJsonValue &group : groups) {
        const QString name = group[u"group"].toString();
        for (const QJsonValue &c : group[u"cases"].toArray()) {
            for (const QJsonValue &subject : group[u"inputs"].toArray()) {
                const Case item{c[0].toString(), c[1].toString(), subject.toString()};
                m_corpus[name].append(item);
                all.append(item);
            }
        }
    }

    QList<Case> random;
    for (const auto flavour :
         {EcmaPatternGenerator::Flavour::Mixed, EcmaPatternGenerator::Flavour::Backtracking}) {
        EcmaPatternGenerator generator(20240611 + quint32(flavour), flavour);
        for (int i = 0; i < 12000; ++i) {
            const QString pattern = generator.pattern();
            const QString replacement = generator.replacement();
            for (int k = 0; k < 2; ++k)
                m_random[int(flavour)].append({pattern, replacement, generator.subject()});
        }
        random += m_random[int(flavour)];
    }
    QRandomGenerator soup(77);
    for (int i = 0; i < 50000; ++i)
        m_soup.append({metacharacterSoup(soup), u"<$&>"_qs, u"ab-c01 d\nk<>"_qs});

    // One node run for everything keeps its start-up cost out of the loop.
    QList<Outcome> outcomes;
    QVERIFY2(runNode(all + random + m_soup, outcomes), "node did not produce results");
    // The corpus went in file order.
    qsizetype next = 0;
    for (const QJsonValue &group : groups) {
        const QString name = group[u"group"].toString();
        m_corpusOutcomes[name] = outcomes.mid(next, m_corpus[name].size());
        next += m_corpus[name].size();
    }
    for (auto it = m_random.cbegin(); it != m_random.cend(); ++it) {
        m_randomOutcomes[it.key()] = outcomes.mid(next, it->size());
        next += it->size();
    }
    m_soupOutcomes = outcomes.mid(next);
}

void tst_EcmaRegExpNode::corpusAgreesWithNode_data()
{
    QTest::addColumn<bool>("jit");
    QTest::addColumn<QString>("group");
    for (const QString &group : m_corpus.keys()) {
        QTest::addRow("%s/jit", qPrintable(group)) << true << group;
        QTest::addRow("%s/interpreter", qPrintable(group)) << false << group;
    }
}

void tst_EcmaRegExpNode::corpusAgreesWithNode()
{
    QFETCH(bool, jit);
    QFETCH(QString, group);
    EcmaRegExp::setJitEnabled(jit);

    const QList<Case> &cases = m_corpus[group];
    const QList<Outcome> &expected = m_corpusOutcomes[group];
    QStringList failures;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const Outcome ours = runEngine(cases[i]);
        if (ours.rejected != expected[i].rejected ||
            (!ours.rejected && ours.text != expected[i].text))
            failures << describe(cases[i], expected[i], ours);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
}

void tst_EcmaRegExpNode::randomPatternsAgreeWithNode_data()
{
    QTest::addColumn<bool>("jit");
    QTest::addColumn<int>("flavour");
    QTest::newRow("mixed/jit") << true << int(EcmaPatternGenerator::Flavour::Mixed);
    QTest::newRow("mixed/interpreter") << false << int(EcmaPatternGenerator::Flavour::Mixed);
    QTest::newRow("backtracking/jit") << true << int(EcmaPatternGenerator::Flavour::Backtracking);
    QTest::newRow("backtracking/interpreter")
        << false << int(EcmaPatternGenerator::Flavour::Backtracking);
}

// Every pattern node accepts gives node's result; an error is acceptable only when it
// names a limit (time, backtracking, memory), never a different text.
void tst_EcmaRegExpNode::randomPatternsAgreeWithNode()
{
    QFETCH(bool, jit);
    QFETCH(int, flavour);
    EcmaRegExp::setJitEnabled(jit);

    const QList<Case> &cases = m_random[flavour];
    const QList<Outcome> &outcomes = m_randomOutcomes[flavour];
    int compared = 0, agreed = 0, nodeOnly = 0, oursOnly = 0, limits = 0;
    QMap<QString, int> routed; // cases per construct that needs the backtracking matcher
    QStringList examples;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const Outcome &expected = outcomes[i];
        const Outcome ours = runEngine(c);
        if (expected.rejected || ours.rejected) {
            if (expected.rejected && !ours.rejected) {
                ++nodeOnly;
                examples << describe(c, expected, ours);
            } else if (!expected.rejected) {
                const bool limit = ours.text.contains(u"limit");
                limits += limit;
                oursOnly += !limit;
                if (!limit)
                    examples << describe(c, expected, ours);
            }
            continue;
        }
        ++compared;
        agreed += ours.text == expected.text;
        const QString construct = EcmaRegExp(c.pattern).exactConstruct();
        if (!construct.isEmpty())
            ++routed[construct];
        if (ours.text != expected.text && examples.size() < 20)
            examples << describe(c, expected, ours);
    }
    qInfo("random patterns: %d of %d agree; rejected only by node %d, only here %d, stopped "
          "at a limit %d",
          agreed, compared, nodeOnly, oursOnly, limits);
    for (auto it = routed.cbegin(); it != routed.cend(); ++it)
        qInfo("  on the backtracking matcher for %s: %d", qPrintable(it.key()), it.value());
    QVERIFY2(examples.isEmpty(), qPrintable(examples.mid(0, 20).join(u'\n')));
    QVERIFY(compared >= 20000);
}

void tst_EcmaRegExpNode::malformedPatternsAreRejected()
{
    int nodeRejects = 0, bothReject = 0, onlyNodeRejects = 0, onlyWeReject = 0;
    int bothAccept = 0, sameResult = 0;
    QStringList wrongAccepts, ourRejects;
    for (qsizetype i = 0; i < m_soup.size(); ++i) {
        const Case &c = m_soup[i];
        const Outcome &expected = m_soupOutcomes[i];
        const Outcome ours = runEngine(c);
        nodeRejects += expected.rejected;
        if (expected.rejected && ours.rejected) {
            ++bothReject;
        } else if (expected.rejected) {
            ++onlyNodeRejects;
            wrongAccepts << c.pattern;
        } else if (ours.rejected) {
            ++onlyWeReject;
            if (ourRejects.size() < 10)
                ourRejects << c.pattern + u": "_qs + ours.text;
        } else {
            ++bothAccept;
            sameResult += ours.text == expected.text;
        }
    }
    qInfo("metacharacter soup: %lld patterns, node rejects %d; accepted here but not by node %d; "
          "rejected here only %d; both accept %d, same result %d (%.2f%%)",
          m_soup.size(), nodeRejects, onlyNodeRejects, onlyWeReject, bothAccept, sameResult,
          bothAccept ? 100.0 * sameResult / bothAccept : 0.0);
    for (const QString &reject : std::as_const(ourRejects))
        qInfo("  rejected here: %s", qPrintable(reject));
    QVERIFY2(wrongAccepts.isEmpty(), qPrintable(wrongAccepts.mid(0, 20).join(u'\n')));
}

QTEST_GUILESS_MAIN(tst_EcmaRegExpNode)
#include "tst_ecmaregexp_node.moc"
