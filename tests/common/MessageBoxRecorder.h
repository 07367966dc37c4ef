// Stands in for the user at every message box: records each box shown through
// FncInt_MessageBox and answers it, then puts the previous handler back.
#pragma once

#include "platform_wrappers.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <utility>

struct RecordedBox
{
    int style = 0;
    QString prompt;
    QString title;
};

class MessageBoxRecorder final
{
public:
    MessageBoxRecorder()
        : m_previous(
              SetMessageBoxHandler([this](int style, const QString &prompt, const QString &title) {
                  return record(style, prompt, title);
              }))
    {
    }
    ~MessageBoxRecorder() { SetMessageBoxHandler(std::move(m_previous)); }
    Q_DISABLE_COPY_MOVE(MessageBoxRecorder)

    // Answers for the next boxes, in order.
    void queueAnswer(int answer) { m_answers.append(answer); }
    // The answer once the queue is empty; 0 means Yes for a yes/no box, else OK.
    void setDefaultAnswer(int answer) { m_defaultAnswer = answer; }

    const QList<RecordedBox> &boxes() const { return m_boxes; }
    qsizetype count() const { return m_boxes.size(); }
    bool isEmpty() const { return m_boxes.isEmpty(); }
    const RecordedBox &at(qsizetype i) const { return m_boxes.at(i); }
    QStringList prompts() const
    {
        QStringList result;
        for (const RecordedBox &box : m_boxes)
            result.append(box.prompt);
        return result;
    }
    QStringList titles() const
    {
        QStringList result;
        for (const RecordedBox &box : m_boxes)
            result.append(box.title);
        return result;
    }
    void clear()
    {
        m_boxes.clear();
        m_answers.clear();
    }

private:
    int record(int style, const QString &prompt, const QString &title)
    {
        m_boxes.append({style, prompt, title});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        if (m_defaultAnswer != 0)
            return m_defaultAnswer;
        const int buttons = style & 0x7;
        return buttons == MsgBox::YesNo || buttons == 3 ? int(MsgBox::Yes) : int(MsgBox::Ok);
    }

    QList<RecordedBox> m_boxes;
    QList<int> m_answers;
    int m_defaultAnswer = 0;
    MessageBoxHandler m_previous;
};
