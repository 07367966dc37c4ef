// Whether a process still runs, for tests that start and end programs.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads the state letter from /proc: a zombie has ended as far as a terminate is concerned.
inline bool processRuns(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() && text.at(close + 2) != 'Z';
}
