#include "LiveTestBench.h"

#include "regexp_presets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

using namespace Qt::StringLiterals;

LiveTestBench::LiveTestBench(QPlainTextEdit *pattern, QPlainTextEdit *replacement,
                             QPlainTextEdit *sample, QPlainTextEdit *result, QLabel *countLabel,
                             QObject *parent)
    : QObject(parent)
    , m_pattern(pattern)
    , m_replacement(replacement)
    , m_sample(sample)
    , m_result(result)
    , m_countLabel(countLabel)
{
    for (QPlainTextEdit *box : {pattern, replacement, sample}) {
        connect(box, &QPlainTextEdit::textChanged, this, &LiveTestBench::requestRun);
    }
    connect(&m_engine, &RegExpTestBench::finished, this, &LiveTestBench::showResult);
}

LiveTestBench::~LiveTestBench() = default;

void LiveTestBench::setActive(bool on)
{
    if (on == m_active) {
        return;
    }
    m_active = on;
    if (on) {
        requestRun();
    } else {
        m_engine.cancel();
        clearHighlights();
    }
}

// A long text without blanks wraps anywhere: laying it out at word boundaries takes minutes.
void LiveTestBench::setBoxText(QPlainTextEdit *box, const QString &text)
{
    constexpr qsizetype kLongestWord = 10000;
    qsizetype run = 0;
    bool longRun = false;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWord) {
            longRun = true;
            break;
        }
    }
    // Emptied first: a new mode lays out the text that is still there.
    box->clear();
    box->setWordWrapMode(longRun ? QTextOption::WrapAnywhere
                                 : QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(text);
}

QString LiveTestBench::boxText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
    text.replace(QChar::LineSeparator, u"\r\n"_s);
    return text;
}

QString LiveTestBench::countText(int count)
{
    return u"%1件一致"_s.arg(count);
}

QString LiveTestBench::errorText(const RegExpError &error)
{
    if (error.offset >= 0) {
        return u"パターンの誤り（%1文字目）：%2"_s.arg(error.offset + 1).arg(error.message);
    }
    return u"パターンを実行できません：%1"_s.arg(error.message);
}

QString LiveTestBench::testRunStatus(const RegExpError &error)
{
    return error.isSet() ? errorText(error) : RegExpPresets::testRunStatus();
}

void LiveTestBench::requestRun()
{
    if (!m_active || !m_pattern || !m_replacement || !m_sample) {
        return;
    }
    m_ranSample = boxText(m_sample);
    m_engine.request(boxText(m_pattern), boxText(m_replacement), m_ranSample);
}

void LiveTestBench::showResult(const RegExpTestResult &result)
{
    if (!m_active || !m_sample || !m_result) {
        return;
    }
    clearHighlights();
    setBoxText(m_result, result.output);
    QString label;
    if (result.failed()) {
        label = errorText(result.error);
    } else if (result.ran) {
        label = countText(result.matchCount);
        QList<QTextEdit::ExtraSelection> selections;
        selections.reserve(result.spans.size());
        // Two shades in turn, so that matches next to each other stay apart.
        QTextCharFormat formats[2];
        formats[0].setBackground(QColor(0xFF, 0xE0, 0x60));
        formats[1].setBackground(QColor(0xFF, 0xB8, 0x60));
        const int end = m_sample->document()->characterCount() - 1;
        for (const auto &[start, length] :
             RegExpTestBench::spansWithoutCR(m_ranSample, result.spans)) {
            if (length == 0 || start >= end) {
                continue;
            }
            QTextCursor cursor(m_sample->document());
            cursor.setPosition(int(start));
            cursor.setPosition(int(qMin<qsizetype>(start + length, end)), QTextCursor::KeepAnchor);
            selections.append({cursor, formats[selections.size() % 2]});
        }
        m_sample->setExtraSelections(selections);
    }
    if (m_countLabel) {
        m_countLabel->setText(label);
    }
    emit updated(result);
}

void LiveTestBench::clearHighlights()
{
    if (m_sample) {
        m_sample->setExtraSelections({});
    }
    if (m_countLabel) {
        m_countLabel->clear();
    }
}
