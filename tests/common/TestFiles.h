// File helpers shared by the tests that save and read back.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray fileBytes(const QString &path, const QByteArray &missing = {})
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : missing;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
