#include "text_file.h"

#include "durable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

const QString Source = QStringLiteral("TextFile");

void setError(VbError *error, int number, const QString &description)
{
    if (error)
        *error = VbError{number, description, Source};
}

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'/' || c == u'\\';
#else
    return c == u'/';
#endif
}

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// Why a file could not be read or written, in the numbers the callers report.
std::pair<int, QString> failure(const QString &path, int error, bool forWriting)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: {
        const QFileInfo info(path);
        if (!info.absoluteDir().exists())
            return {VbErrorNo::PathNotFound, QStringLiteral("Path not found")};
        if (forWriting)
            return {VbErrorNo::PathNotFound, QStringLiteral("Path not found")};
        return {VbErrorNo::FileNotFound, QStringLiteral("File not found")};
    }
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return {VbErrorNo::PermissionDenied, QStringLiteral("Permission denied")};
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return {VbErrorNo::DiskFull, QStringLiteral("Disk full")};
    case EIO:
        return {VbErrorNo::DeviceIoError, QStringLiteral("Device I/O error")};
    case EMFILE:
    case ENFILE:
        return {VbErrorNo::TooManyFiles, QStringLiteral("Too many files")};
    case ENAMETOOLONG:
        return {VbErrorNo::BadFileName, QStringLiteral("Bad file name or number")};
    default:
        return {VbErrorNo::PathFileAccessError, QStringLiteral("Path/File access error")};
    }
}

QString withPath(const QString &description, const QString &path)
{
    return description + QStringLiteral(" (") + QDir::toNativeSeparators(path) + u')';
}

} // namespace

QString TextFile::normaliseLineEnds(const QString &text)
{
    // Written through a pointer: a megabyte of setting text is read in a moment.
    const qsizetype size = text.size();
    QString result(size * 2 + 2, Qt::Uninitialized);
    const QChar *in = text.constData();
    QChar *out = result.data();
    QChar *const begin = out;
    bool lineOpen = false;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = in[i];
        if (c == u'\r') {
            *out++ = u'\r';
            *out++ = u'\n';
            if (i + 1 < size && in[i + 1] == u'\n')
                ++i;
            lineOpen = false;
        } else {
            *out++ = c;
            lineOpen = true;
        }
    }
    if (lineOpen) {
        *out++ = u'\r';
        *out++ = u'\n';
    }
    result.truncate(out - begin);
    result.squeeze();
    return result;
}

std::optional<QString> TextFile::read(const QString &path, VbError *error)
{
    if (path.isEmpty()) {
        setError(error, VbErrorNo::BadFileName, QStringLiteral("Bad file name or number"));
        return std::nullopt;
    }
    const QFileInfo info(path);
    // Only regular files: a device or a pipe could block the reader for ever.
    if (info.exists() && !info.isFile()) {
        setError(error, VbErrorNo::PathFileAccessError,
                 withPath(QStringLiteral("Path/File access error"), path));
        return std::nullopt;
    }
    // A read error part way fails the whole read: a cut-off setting must not be loaded and
    // then saved over the whole one.
    QByteArray bytes;
    if (const int failed = DurableFile::readAll(QFile::encodeName(path), bytes)) {
        const auto [number, text] = failure(path, failed, false);
        setError(error, number, withPath(text, path));
        return std::nullopt;
    }
    if (error)
        *error = VbError{};
    return Cp932Codec::decodeText(bytes, true);
}

bool TextFile::write(const QString &path, const QString &text, VbError *error,
                     Cp932Unencodable *unencodable)
{
    if (unencodable)
        *unencodable = Cp932Unencodable{};
    if (path.isEmpty()) {
        setError(error, VbErrorNo::BadFileName, QStringLiteral("Bad file name or number"));
        return false;
    }
    Cp932Unencodable bad;
    const std::optional<QByteArray> bytes = Cp932Codec::encode(text, &bad);
    if (!bytes) {
        if (unencodable)
            *unencodable = bad;
        setError(
            error, VbErrorNo::InvalidArgument,
            QStringLiteral("The character U+%1 at position %2 cannot be saved in Shift_JIS")
                .arg(QString::number(uint(bad.codePoint), 16).toUpper().rightJustified(4, u'0'))
                .arg(bad.position));
        return false;
    }
    // Only a plain file is replaced: the rename would put a file where a pipe or a device
    // was, also through a link.
    const QFileInfo target(path);
    if (target.isDir() || (target.exists() && !target.isFile())) {
        setError(error, VbErrorNo::PathFileAccessError,
                 withPath(QStringLiteral("Path/File access error"), path));
        return false;
    }

    // A file the user made read-only stays as it is, as the platform's own save refuses it.
    if (target.exists() && !target.isWritable()) {
        setError(error, VbErrorNo::PermissionDenied,
                 withPath(QStringLiteral("Permission denied"), path));
        return false;
    }
    // Nothing replaces the old file unless every byte was written and synced, the file
    // closed and the rename done.
    const int failed = DurableFile::replace(
        QFile::encodeName(path),
        [&bytes](int fd) { return DurableFile::writeAll(fd, bytes->constData(), bytes->size()); },
        DurableFile::Options());
    if (failed) {
        const auto [number, description] = failure(path, failed, true);
        setError(error, number, withPath(description, path));
        return false;
    }
    if (error)
        *error = VbError{};
    return true;
}

QString TextFile::joinPath(const QString &folder, const QString &name)
{
    const QString trimmed = trimSpaces(folder);
    if (trimmed.isEmpty())
        return name;
    const bool folderEnds = isSeparator(trimmed.back());
    const bool nameStarts = !name.isEmpty() && isSeparator(name.front());
    if (folderEnds && nameStarts)
        return trimmed + name.mid(1);
    if (folderEnds || nameStarts)
        return trimmed + name;
    return trimmed + QDir::separator() + name;
}
