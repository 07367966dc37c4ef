// An edit item's pattern run on a worker thread, so that a slow pattern over a long text
// never stops the window from repainting; it can be cancelled at any time.
#pragma once

#include "text_transformation.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <thread>

class EditTask final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditTask)

public:
    // Starts at once. finished() is emitted on this object's thread, unless the result
    // was already taken by waitFor().
    EditTask(const QString &pattern, const QString &replacement, const QString &input,
             QObject *parent = nullptr);
    // Cancels and waits for the worker: a run that is still going stops within a match
    // attempt.
    ~EditTask() override;

    // Blocks up to timeout for the result; true when it is there. Lets a quick edit
    // finish within the click that started it, without a flicker of messages.
    bool waitFor(std::chrono::milliseconds timeout);
    bool isFinished() const;
    // Any thread; the result then reports cancelled (unless it was complete already).
    void cancel();

    // Valid once finished.
    const PatternEdit &result() const;

signals:
    void finished();

private:
    struct Shared;
    void deliver();

    std::shared_ptr<Shared> m_shared;
    std::thread m_worker;
    bool m_delivered = false;
};
