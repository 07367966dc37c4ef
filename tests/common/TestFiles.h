// File helpers shared by the tests that save and read back.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

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

#ifdef Q_OS_LINUX
// Makes writes fail part way, as a full disk does, even for root; the old limit and
// signal handling come back when the guard goes.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_signal(std::signal(SIGXFSZ, SIG_IGN))
    {
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit small = m_previous;
        small.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_ok)
            ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isActive() const { return m_ok; }

private:
    rlimit m_previous{};
    void (*m_signal)(int);
    bool m_ok = false;
};
#endif
