#include "text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// Why a file could not be opened, in the numbers the callers report.
std::pair<int, QString> openFailure(const QString &path, QFileDevice::FileError fileError,
                                    bool forWriting)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return {VbErrorNo::PathNotFound, QStringLiteral("Path not found")};
    if (info.isDir())
        return {VbErrorNo::PathFileAccessError, QStringLiteral("Path/File access error")};
    if (!forWriting && !info.exists())
        return {VbErrorNo::FileNotFound, QStringLiteral("File not found")};
    if (fileError == QFileDevice::PermissionsError)
        return {VbErrorNo::PermissionDenied, QStringLiteral("Permission denied")};
    if (fileError == QFileDevice::ResourceError)
        return {VbErrorNo::DiskFull, QStringLiteral("Disk full")};
    return {VbErrorNo::PathFileAccessError, QStringLiteral("Path/File access error")};
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
        const auto [number, text] = openFailure(path, QFileDevice::OpenError, false);
        setError(error, number, withPath(text, path));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const auto [number, text] = openFailure(path, file.error(), false);
        setError(error, number, withPath(text, path));
        return std::nullopt;
    }
    // A read error part way ends the text where it stopped, like the end of the file.
    const QByteArray bytes = file.readAll();
    if (error)
        *error = VbError{};
    return normaliseLineEnds(Cp932Codec::decode(bytes));
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

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const auto [number, description] = openFailure(path, file.error(), true);
        setError(error, number, withPath(description, path));
        return false;
    }
    // Nothing replaces the old file unless every byte was written and the rename worked.
    const bool written = file.write(*bytes) == bytes->size();
    if (!written || !file.commit()) {
        const QFileDevice::FileError fileError = file.error();
        if (!written)
            file.cancelWriting();
        if (fileError == QFileDevice::ResourceError)
            setError(error, VbErrorNo::DiskFull, withPath(QStringLiteral("Disk full"), path));
        else if (fileError == QFileDevice::PermissionsError)
            setError(error, VbErrorNo::PermissionDenied,
                     withPath(QStringLiteral("Permission denied"), path));
        else
            setError(error, VbErrorNo::DeviceIoError,
                     withPath(QStringLiteral("Device I/O error"), path));
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
