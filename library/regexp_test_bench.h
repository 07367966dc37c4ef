// The live test bench's engine: runs a pattern and replacement over a sample the way the
// palette runs an edit item, off the window thread, a short while after the last change.
// A new request cancels the run in progress, so a runaway pattern never holds up the window.
#pragma once

#include "ecma_regexp.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <memory>
#include <utility>

class QThread;

struct RegExpTestResult
{
    using Span = std::pair<qsizetype, qsizetype>; // start and length in the sample

    quint64 request = 0;
    // False for an empty pattern: an item without one is not an edit item, nothing runs.
    bool ran = false;
    // The sample after the replacement (a case or width directive applied to each match);
    // empty when the run failed.
    QString output;
    int matchCount = 0;
    // The first MaxSpans matches, for highlighting.
    QList<Span> spans;
    // The pattern's error (offset: its position in the pattern), or why the run stopped.
    RegExpError error;

    bool failed() const { return error.isSet(); }
};

class RegExpTestBench final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RegExpTestBench)

public:
    static constexpr int DefaultDelayMs = 300;
    static constexpr int MaxSpans = 10'000;

    explicit RegExpTestBench(QObject *parent = nullptr);
    // Cancels what still runs and waits for it.
    ~RegExpTestBench() override;

    void setDelay(int milliseconds);
    int delay() const { return m_delay.interval(); }

    // Runs the pattern over the sample once the delay has passed without another request;
    // a run in progress is cancelled at once. Returns the request's number.
    quint64 request(const QString &pattern, const QString &replacement, const QString &sample);
    // The same without the delay.
    quint64 runNow(const QString &pattern, const QString &replacement, const QString &sample);
    // Drops the pending request and cancels every run.
    void cancel();

    // A request waits or a run whose result will be reported is in progress.
    bool isBusy() const;
    // Runs still in progress, cancelled ones included.
    int runningCount() const { return int(m_runs.size()); }
    // Runs that ended because they were cancelled.
    int cancelledRuns() const { return m_cancelledRuns; }

    // One run, synchronously, on the calling thread.
    static RegExpTestResult run(EcmaRegExp &regExp, const QString &pattern,
                                const QString &replacement, const QString &sample);
    // Spans of a CR LF text moved to the same text with each CR LF as one line break, as a
    // multi-line box holds it.
    static QList<RegExpTestResult::Span> spansWithoutCR(const QString &text,
                                                        const QList<RegExpTestResult::Span> &spans);

signals:
    // The result of the latest request, on the thread that owns the bench.
    void finished(const RegExpTestResult &result);

private:
    struct Job;
    struct Run
    {
        std::shared_ptr<Job> job;
        QThread *thread = nullptr;
    };

    void start();
    void cancelRuns();
    void onResult(const std::shared_ptr<Job> &job, const RegExpTestResult &result);
    void onThreadFinished(QThread *thread);

    QTimer m_delay;
    QString m_pattern, m_replacement, m_sample;
    quint64 m_lastRequest = 0;
    QList<Run> m_runs;
    int m_cancelledRuns = 0;
};
