#include "regexp_test_bench.h"

#include "text_transformation.h"

#include <QThread>

#include <algorithm>

#include <new>

using namespace Qt::StringLiterals;

namespace {

// The palette's per-match edit. Its own version reports running out of memory in a message
// box, which must not happen off the window thread; here the failure ends the run instead.
// The tests hold both to the same results.
void appendEdited(QString &out, QStringView match, const QString &directive,
                  const Cls_RegExpExtraString &names)
{
    const auto trimmed = [](const QString &text) {
        qsizetype first = 0;
        qsizetype last = text.size();
        while (first < last && text[first] == u' ') {
            ++first;
        }
        while (last > first && text[last - 1] == u' ') {
            --last;
        }
        return QStringView(text).sliced(first, last - first);
    };
    if (directive == names.LowerCase()) {
        out.append(match.toString().toLower());
    } else if (directive == names.UpperCase()) {
        out.append(match.toString().toUpper());
    } else if (directive == names.TrimLowerCase()) {
        out.append(trimmed(match.toString().toLower()));
    } else if (directive == names.TrimUpperCase()) {
        out.append(trimmed(match.toString().toUpper()));
    } else if (directive == names.Wide()) {
        FncStr_AppendWide(out, match);
    } else if (directive == names.Narrow()) {
        FncStr_AppendNarrow(out, match);
    } else {
        out.append(match);
    }
}

} // namespace

struct RegExpTestBench::Job
{
    quint64 request = 0;
    // The engine watches this flag for the whole run; a cancel that comes before the run
    // starts matching is not lost.
    std::atomic<bool> cancelled{false};

    void cancel() { cancelled.store(true); }
};

RegExpTestBench::RegExpTestBench(QObject *parent)
    : QObject(parent)
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(DefaultDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &RegExpTestBench::start);
}

RegExpTestBench::~RegExpTestBench()
{
    m_delay.stop();
    for (const Run &run : std::as_const(m_runs)) {
        run.job->cancel();
        run.thread->wait();
        delete run.thread;
    }
}

void RegExpTestBench::setDelay(int milliseconds)
{
    m_delay.setInterval(qMax(0, milliseconds));
}

quint64 RegExpTestBench::request(const QString &pattern, const QString &replacement,
                                 const QString &sample)
{
    cancelRuns();
    m_pattern = pattern;
    m_replacement = replacement;
    m_sample = sample;
    m_delay.start();
    return ++m_lastRequest;
}

quint64 RegExpTestBench::runNow(const QString &pattern, const QString &replacement,
                                const QString &sample)
{
    const quint64 number = request(pattern, replacement, sample);
    m_delay.stop();
    start();
    return number;
}

void RegExpTestBench::cancel()
{
    m_delay.stop();
    cancelRuns();
    // A result already on its way belongs to no request any more.
    ++m_lastRequest;
}

bool RegExpTestBench::isBusy() const
{
    if (m_delay.isActive()) {
        return true;
    }
    return std::any_of(m_runs.cbegin(), m_runs.cend(),
                       [](const Run &run) { return !run.job->cancelled.load(); });
}

void RegExpTestBench::start()
{
    auto job = std::make_shared<Job>();
    job->request = m_lastRequest;
    QThread *thread = QThread::create(
        [this, job, pattern = m_pattern, replacement = m_replacement, sample = m_sample] {
            RegExpTestResult result;
            try {
                EcmaRegExp regExp(pattern);
                regExp.setCancelFlag(&job->cancelled);
                if (!job->cancelled.load()) {
                    result = run(regExp, pattern, replacement, sample);
                }
            } catch (const std::bad_alloc &) {
                result = {};
                result.ran = true;
                result.error = {u"Out of memory"_s, -1};
            }
            result.request = job->request;
            QMetaObject::invokeMethod(
                this, [this, job, result] { onResult(job, result); }, Qt::QueuedConnection);
        });
    // The thread object belongs to this thread; the bench deletes it once it has ended.
    connect(thread, &QThread::finished, this, [this, thread] { onThreadFinished(thread); });
    m_runs.append({job, thread});
    thread->start();
}

void RegExpTestBench::cancelRuns()
{
    for (const Run &run : std::as_const(m_runs)) {
        run.job->cancel();
    }
}

void RegExpTestBench::onResult(const std::shared_ptr<Job> &job, const RegExpTestResult &result)
{
    if (job->cancelled.load()) {
        ++m_cancelledRuns;
        return;
    }
    if (job->request == m_lastRequest) {
        emit finished(result);
    }
}

void RegExpTestBench::onThreadFinished(QThread *thread)
{
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        if (m_runs.at(i).thread == thread) {
            m_runs.removeAt(i);
            break;
        }
    }
    thread->deleteLater();
}

RegExpTestResult RegExpTestBench::run(EcmaRegExp &regExp, const QString &pattern,
                                      const QString &replacement, const QString &sample)
{
    RegExpTestResult result;
    if (pattern.isEmpty()) {
        return result;
    }
    result.ran = true;
    if (!regExp.isValid()) {
        result.error = regExp.error();
        return result;
    }
    // As the palette does it: a directive edits each match and keeps the text between them;
    // any other replacement is a script-style replace.
    const Cls_RegExpExtraString extra;
    const bool directive = extra.IsMatching(replacement);
    const QStringView source(sample);
    QString edited;
    qsizetype position = 0;
    const bool finished = regExp.forEachMatch(sample, [&](qsizetype start, qsizetype length) {
        ++result.matchCount;
        if (result.spans.size() < MaxSpans) {
            result.spans.append({start, length});
        }
        if (directive) {
            edited.append(source.sliced(position, start - position));
            appendEdited(edited, source.sliced(start, length), replacement, extra);
            position = start + length;
        }
    });
    if (!finished) {
        result.error = regExp.error();
        result.matchCount = 0;
        result.spans.clear();
        return result;
    }
    if (directive) {
        if (result.matchCount == 0) {
            result.output = sample;
        } else {
            edited.append(source.sliced(position));
            result.output = edited;
        }
        return result;
    }
    const std::optional<QString> replaced = regExp.replaceAll(sample, replacement);
    if (!replaced) {
        result.error = regExp.error();
        result.matchCount = 0;
        result.spans.clear();
        return result;
    }
    result.output = *replaced;
    return result;
}

QList<RegExpTestResult::Span>
RegExpTestBench::spansWithoutCR(const QString &text, const QList<RegExpTestResult::Span> &spans)
{
    // removedBefore[i]: carriage returns of CR LF pairs before position i.
    QList<qsizetype> removedBefore(text.size() + 1, 0);
    qsizetype removed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        removedBefore[i] = removed;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++removed;
        }
    }
    removedBefore[text.size()] = removed;
    QList<RegExpTestResult::Span> out;
    out.reserve(spans.size());
    for (const auto &[start, length] : spans) {
        const qsizetype s = qBound<qsizetype>(0, start, text.size());
        const qsizetype e = qBound<qsizetype>(s, start + length, text.size());
        out.append({s - removedBefore[s], (e - removedBefore[e]) - (s - removedBefore[s])});
    }
    return out;
}
