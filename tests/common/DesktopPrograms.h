// Runs the real programs and the X tools that drive them, for the end-to-end tests.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program to its end: false when it fails or is still running after the timeout.
inline bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr,
                int timeoutMs = 30000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output != nullptr)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The visible windows whose title matches the pattern, as xdotool finds them.
inline QStringList windowsNamed(const QString &pattern)
{
    QByteArray output;
    run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", pattern}, &output);
    return QString::fromLatin1(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A program of this build on the test's display, with a private XDG_RUNTIME_DIR that keeps
// Qt from warning about it; its output goes with the test's.
inline void prepareProgram(QProcess &process, const QString &runtimeDir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
}

// Ends a program the test started, by force if it does not end when asked.
inline void endProgram(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
