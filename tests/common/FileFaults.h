// Makes one of the file calls of the library fail, as a full disk, a failing device or a
// file system that loses a write on close would; the system calls come back when the guard
// goes.
#pragma once

#include "durable_file.h"

#include <QtGlobal>

#include <cerrno>
#include <unistd.h>

class FileFault final
{
public:
    enum class Call
    {
        Read,  // error 0: the file ends early, as a short read
        Write, // after the allowed bytes
        Fdatasync,
        Fsync, // of the folder, after the rename
        Close,
        Rename,
    };

    // The first allowedBytes of a read or write go through, then the call fails with error.
    FileFault(Call call, int error, qint64 allowedBytes = 0)
    {
        state() = {error, allowedBytes};
        DurableFile::Calls &calls = DurableFile::calls();
        switch (call) {
        case Call::Read:
            calls.read = [](int fd, void *buffer, size_t size) -> ssize_t {
                const size_t allowed = size_t(qMin<qint64>(qint64(size), state().bytes));
                if (allowed == 0) {
                    errno = state().error;
                    return state().error ? -1 : 0;
                }
                const ssize_t n = ::read(fd, buffer, allowed);
                if (n > 0)
                    state().bytes -= n;
                return n;
            };
            break;
        case Call::Write:
            calls.write = [](int fd, const void *buffer, size_t size) -> ssize_t {
                const size_t allowed = size_t(qMin<qint64>(qint64(size), state().bytes));
                if (allowed == 0) {
                    errno = state().error;
                    return -1;
                }
                const ssize_t n = ::write(fd, buffer, allowed);
                if (n > 0)
                    state().bytes -= n;
                return n;
            };
            break;
        case Call::Fdatasync:
            calls.fdatasync = [](int) { return fail(); };
            break;
        case Call::Fsync:
            calls.fsync = [](int) { return fail(); };
            break;
        case Call::Close:
            calls.close = [](int fd) {
                ::close(fd);
                return fail();
            };
            break;
        case Call::Rename:
            calls.rename = [](const char *, const char *, bool) { return fail(); };
            break;
        }
    }
    ~FileFault() { DurableFile::resetCalls(); }
    FileFault(const FileFault &) = delete;
    FileFault &operator=(const FileFault &) = delete;

private:
    struct State
    {
        int error = 0;
        qint64 bytes = 0;
    };
    static State &state()
    {
        static State s;
        return s;
    }
    static int fail()
    {
        errno = state().error;
        return -1;
    }
};
