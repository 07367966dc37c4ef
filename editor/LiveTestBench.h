// LiveTestBench: ties the test area's boxes to the live test bench. While it is active,
// a change to the pattern, the replacement or the sample re-runs the item over the sample a
// moment after the last keystroke: the result fills the result box, the matches are
// highlighted in the sample, and a label tells how many matched or what is wrong with the
// pattern. Nothing is stored.
#pragma once

#include "regexp_test_bench.h"

#include <QObject>
#include <QPointer>

class QLabel;
class QPlainTextEdit;

class LiveTestBench final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveTestBench)

public:
    LiveTestBench(QPlainTextEdit *pattern, QPlainTextEdit *replacement, QPlainTextEdit *sample,
                  QPlainTextEdit *result, QLabel *countLabel, QObject *parent = nullptr);
    ~LiveTestBench() override;

    // On while the test area is open; switching on runs once, switching off cancels and
    // removes the highlights.
    void setActive(bool on);
    bool isActive() const { return m_active; }
    RegExpTestBench &engine() { return m_engine; }

    // A multi-line box's text with CR LF line ends, as the item page stores it; unlike
    // toPlainText() it keeps non-breaking spaces.
    static QString boxText(const QPlainTextEdit *box);
    // Puts a result into a box; a text with a very long run without blanks wraps anywhere,
    // since laying it out at word boundaries would take minutes.
    static void setBoxText(QPlainTextEdit *box, const QString &text);
    // "3件一致".
    static QString countText(int count);
    // The pattern's error with its position (from 1), or why the run stopped.
    static QString errorText(const RegExpError &error);
    // The status line after the test button's run: the error when the engine refused.
    static QString testRunStatus(const RegExpError &error);

signals:
    void updated(const RegExpTestResult &result);

private:
    void requestRun();
    void showResult(const RegExpTestResult &result);
    void clearHighlights();

    RegExpTestBench m_engine;
    QPointer<QPlainTextEdit> m_pattern, m_replacement, m_sample, m_result;
    QPointer<QLabel> m_countLabel;
    QString m_ranSample; // the sample of the run in progress, for placing the highlights
    bool m_active = false;
};
