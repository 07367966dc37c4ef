// A window manager (openbox) on the test's X display, for tests of what a window manager
// changes: frames, captions, stacking.
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

class WindowManager final
{
public:
    WindowManager() = default;
    ~WindowManager() { stop(); }
    WindowManager(const WindowManager &) = delete;
    WindowManager &operator=(const WindowManager &) = delete;

    // The display's root window property as xprop shows it.
    static QByteArray rootProperty(const QString &name)
    {
        return windowProperty(QStringLiteral("-root"), name);
    }
    static QByteArray windowProperty(const QString &window, const QString &name)
    {
        QProcess xprop;
        QStringList arguments;
        if (window == QStringLiteral("-root"))
            arguments << window;
        else
            arguments << QStringLiteral("-id") << window;
        xprop.start(QStringLiteral("xprop"), arguments << name);
        if (!xprop.waitForFinished(5000))
            return {};
        return xprop.readAllStandardOutput();
    }
    static bool runs()
    {
        return rootProperty(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).contains("window id");
    }

    // Starts openbox unless a window manager runs already; false when none could be had.
    bool start()
    {
        if (runs())
            return true;
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty())
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!m_process.waitForStarted(5000))
            return false;
        // A loaded machine (the sanitizer run beside another test) can take seconds.
        QElapsedTimer timer;
        timer.start();
        while (!runs() && m_process.state() == QProcess::Running && timer.elapsed() < 30000)
            QThread::msleep(50);
        return runs();
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
};
