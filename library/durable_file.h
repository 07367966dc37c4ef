// Whole-file reads that report every error, and whole-file replacement through a synced
// temporary file beside the target. The system calls go through a table that tests swap
// to make them fail.
#pragma once

#include <QByteArray>

#include <functional>
#include <optional>
#include <sys/types.h>
#include <time.h>

class DurableFile final
{
public:
    DurableFile() = delete;

    struct Calls
    {
        int (*open)(const char *path, int flags, mode_t mode);
        ssize_t (*read)(int fd, void *buffer, size_t size);
        ssize_t (*write)(int fd, const void *buffer, size_t size);
        int (*fdatasync)(int fd);
        int (*fsync)(int fd);
        int (*close)(int fd);
        // replace false: fails with EEXIST when the target is there.
        int (*rename)(const char *from, const char *to, bool replace);
    };
    // The calls in use; tests replace entries and restore them with resetCalls().
    static Calls &calls();
    static void resetCalls();

    // Reads a regular file whole. The result is 0 or an errno value: a read error part way,
    // or an end before the size the file had when opened (EIO), fails the whole read.
    static int readAll(const QByteArray &path, QByteArray &bytes);

    struct Options
    {
        bool replaceExisting = true;
        std::optional<mode_t> mode;       // exact permissions; otherwise those of a
                                          // replaced file, or the default for a new one
        std::optional<timespec> modified; // modification time to give the new file
    };
    // fill writes the content into the open temporary file and gives 0 or an errno value.
    using Filler = std::function<int(int fd)>;

    // Puts a new file in place of path (a link is followed): the content goes into a
    // temporary file beside it, which is synced, closed and renamed over path, and then the
    // folder is synced. Until the rename the old file stays as it was; on any failure the
    // temporary file is removed. Stale temporary files of earlier saves in the folder go
    // first. The result is 0 or an errno value.
    static int replace(const QByteArray &path, const Filler &fill, const Options &options);

    // Helpers for fillers: every byte written, and a copy of a whole file.
    static int writeAll(int fd, const char *data, qsizetype size);
    static int copyAll(int fromFd, int toFd);

    // ".NAME.quorvel-save-PID-XXXXXX": recognisable, hidden, and tells which process made it.
    static bool isTemporaryName(const QByteArray &name, pid_t *pid = nullptr);
    // Removes the temporary files in folder that are at least a minute old and that no live
    // process holds (its PID is gone and no one has it locked).
    static void removeStaleTemporaries(const QByteArray &folder);
};
