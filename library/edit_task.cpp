#include "edit_task.h"

#include <QMetaObject>

#include <condition_variable>
#include <mutex>

struct EditTask::Shared
{
    QString pattern;
    QString replacement;
    QString input;
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    PatternEdit result;
};

EditTask::EditTask(const QString &pattern, const QString &replacement, const QString &input,
                   QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->pattern = pattern;
    m_shared->replacement = replacement;
    m_shared->input = input;
    // The destructor joins the worker before QObject's own destructor drops the posted
    // delivery, so the worker may name this object.
    m_worker = std::thread([shared = m_shared, self = this] {
        PatternEdit result = FncStr_EditByPattern(shared->pattern, shared->replacement,
                                                  shared->input, &shared->cancelled);
        {
            const std::lock_guard lock(shared->mutex);
            shared->result = std::move(result);
            shared->finished = true;
        }
        shared->done.notify_all();
        QMetaObject::invokeMethod(self, &EditTask::deliver, Qt::QueuedConnection);
    });
}

EditTask::~EditTask()
{
    cancel();
    if (m_worker.joinable())
        m_worker.join();
}

bool EditTask::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_shared->mutex);
    const bool done = m_shared->done.wait_for(lock, timeout, [this] { return m_shared->finished; });
    if (done)
        m_delivered = true;
    return done;
}

bool EditTask::isFinished() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->finished;
}

void EditTask::cancel()
{
    m_shared->cancelled.store(true);
}

const PatternEdit &EditTask::result() const
{
    return m_shared->result;
}

void EditTask::deliver()
{
    if (m_delivered)
        return;
    m_delivered = true;
    emit finished();
}
