#include "durable_file.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Marker = QByteArrayLiteral(".quorvel-save-");
constexpr int RandomLength = 6;
constexpr time_t StaleSeconds = 60;

int systemRename(const char *from, const char *to, bool replace)
{
    if (replace)
        return ::rename(from, to);
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without the flag: a hard link fails as well when the target is there.
    if (::link(from, to) != 0)
        return -1;
    ::unlink(from);
    return 0;
}

DurableFile::Calls systemCalls()
{
    return {
        [](const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](int fd, void *buffer, size_t size) { return ::read(fd, buffer, size); },
        [](int fd, const void *buffer, size_t size) { return ::write(fd, buffer, size); },
        [](int fd) { return ::fdatasync(fd); },
        [](int fd) { return ::fsync(fd); },
        [](int fd) { return ::close(fd); },
        systemRename,
    };
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray baseNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray temporaryName(const QByteArray &baseName)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = '.' + baseName.left(200) + Marker + QByteArray::number(::getpid()) + '-';
    for (int i = 0; i < RandomLength; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

bool processAlive(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// A link is replaced where it points, as an editor saving through it would.
QByteArray resolvedTarget(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (!::realpath(path.constData(), resolved))
        return path;
    return QByteArray(resolved);
}

int syncFolder(const QByteArray &folder)
{
    const DurableFile::Calls &c = DurableFile::calls();
    const int fd = c.open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return 0; // a folder that cannot be opened for reading cannot be synced either
    int error = c.fsync(fd) == 0 ? 0 : errno;
    c.close(fd);
    // Some file systems cannot sync a folder at all; that is no failure of this save.
    if (error == EINVAL || error == ENOTSUP || error == EROFS)
        error = 0;
    return error;
}

} // namespace

DurableFile::Calls &DurableFile::calls()
{
    static Calls current = systemCalls();
    return current;
}

void DurableFile::resetCalls()
{
    calls() = systemCalls();
}

int DurableFile::readAll(const QByteArray &path, QByteArray &bytes)
{
    const Calls &c = calls();
    bytes.clear();
    // Non-blocking, so that a pipe put there meanwhile cannot hold the open.
    const int fd = c.open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0);
    if (fd < 0)
        return errno;
    struct stat st;
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (!error) {
        bytes.reserve(qsizetype(st.st_size) + 1);
        char buffer[65536];
        for (;;) {
            const ssize_t n = c.read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = errno;
                break;
            }
            if (n == 0)
                break;
            bytes.append(buffer, qsizetype(n));
        }
        // Ending before the size it had is a short read: the text would be cut off.
        if (!error && bytes.size() < st.st_size)
            error = EIO;
    }
    c.close(fd);
    if (error)
        bytes.clear();
    return error;
}

int DurableFile::writeAll(int fd, const char *data, qsizetype size)
{
    const Calls &c = calls();
    while (size > 0) {
        const ssize_t n = c.write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

int DurableFile::copyAll(int fromFd, int toFd)
{
    const Calls &c = calls();
    struct stat st;
    if (::fstat(fromFd, &st) != 0)
        return errno;
    char buffer[65536];
    qint64 copied = 0;
    for (;;) {
        const ssize_t n = c.read(fromFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        if (const int error = writeAll(toFd, buffer, n))
            return error;
        copied += n;
    }
    return copied < st.st_size ? EIO : 0;
}

int DurableFile::replace(const QByteArray &path, const Filler &fill, const Options &options)
{
    const Calls &c = calls();
    const QByteArray target = resolvedTarget(path);
    const QByteArray folder = folderOf(target);
    removeStaleTemporaries(folder);

    Options wanted = options;
    struct stat old;
    const bool replacing = ::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (!wanted.mode && replacing)
        wanted.mode = old.st_mode & 07777;

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + '/' + temporaryName(baseNameOf(target));
        fd = c.open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    // Held until closed: a save in progress is never taken for a stale one.
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (wanted.mode)
        ::fchmod(fd, *wanted.mode);
    if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Keeps the owner when the superuser saves someone's file; refused otherwise.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }

    int error = fill(fd);
    if (!error && wanted.modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *wanted.modified};
        ::futimens(fd, times);
    }
    if (!error && c.fdatasync(fd) != 0)
        error = errno;
    // A close can report a write that failed late (network and quota file systems).
    if (c.close(fd) != 0 && !error)
        error = errno;
    if (!error && c.rename(temporary.constData(), target.constData(), options.replaceExisting) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return error;
    }
    return syncFolder(folder);
}

bool DurableFile::isTemporaryName(const QByteArray &name, pid_t *pid)
{
    const qsizetype marker = name.lastIndexOf(Marker);
    if (!name.startsWith('.') || marker < 1)
        return false;
    const QByteArray tail = name.mid(marker + Marker.size());
    const qsizetype dash = tail.indexOf('-');
    if (dash < 1 || tail.size() - dash - 1 != RandomLength)
        return false;
    bool ok = false;
    const qlonglong number = tail.left(dash).toLongLong(&ok);
    for (const char ch : tail.left(dash)) {
        if (ch < '0' || ch > '9')
            return false;
    }
    for (const char ch : tail.mid(dash + 1)) {
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9')))
            return false;
    }
    if (!ok || number <= 0 || number > INT_MAX)
        return false;
    if (pid)
        *pid = pid_t(number);
    return true;
}

void DurableFile::removeStaleTemporaries(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        pid_t pid = 0;
        if (!isTemporaryName(QByteArray(entry->d_name), &pid))
            continue;
        struct stat st;
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        // A clock set back makes a file look new: it waits for the next save then.
        if (now - st.st_mtime < StaleSeconds || processAlive(pid))
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}
