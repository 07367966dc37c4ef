#include "first_exposure.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <utility>

FirstExposure::FirstExposure(int fallbackMs, QObject *parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
    QTimer::singleShot(fallbackMs, this, &FirstExposure::exposed);
}

FirstExposure::~FirstExposure()
{
    if (!m_exposed && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

void FirstExposure::add(QObject *context, std::function<void()> work)
{
    if (m_exposed)
        QTimer::singleShot(0, context, std::move(work));
    else
        m_pending.push_back({context, std::move(work)});
}

bool FirstExposure::eventFilter(QObject *watched, QEvent *event)
{
    // The window paints while this event is delivered; the work follows on the loop.
    if (event->type() == QEvent::Expose && watched->isWindowType() &&
        static_cast<QWindow *>(watched)->isExposed())
        exposed();
    return false;
}

void FirstExposure::exposed()
{
    if (m_exposed)
        return;
    m_exposed = true;
    QCoreApplication::instance()->removeEventFilter(this);
    for (Pending &pending : m_pending) {
        if (!pending.context.isNull())
            QTimer::singleShot(0, pending.context.data(), std::move(pending.work));
    }
    m_pending.clear();
}

void RunAfterFirstExposure(QObject *context, std::function<void()> work)
{
    static QPointer<FirstExposure> program;
    if (QCoreApplication::instance() == nullptr)
        return;
    if (program.isNull())
        program = new FirstExposure(1000, QCoreApplication::instance());
    program->add(context, std::move(work));
}
