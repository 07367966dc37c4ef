// Start-up work that the first picture of a program does not need.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

// Holds work until the program's first window has been put on screen and painted, then runs
// it on the event loop in the order given, skipping work whose context is gone. Work added
// later runs on the next turn of the loop. Without a window put on screen (a hidden start,
// a program that shows none) the work runs after fallbackMs.
class FirstExposure final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FirstExposure)

public:
    // Watches every window of the application, which must exist.
    explicit FirstExposure(int fallbackMs, QObject *parent = nullptr);
    ~FirstExposure() override;

    void add(QObject *context, std::function<void()> work);
    bool hasExposed() const { return m_exposed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Pending
    {
        QPointer<QObject> context;
        std::function<void()> work;
    };

    void exposed();

    bool m_exposed = false;
    std::vector<Pending> m_pending;
};

// The program's own FirstExposure (a second of fallback). Left until its first window is on
// screen, start-up work leaves the processor to the window manager and the display server
// while they map that window, instead of racing them for it.
void RunAfterFirstExposure(QObject *context, std::function<void()> work);
